// Runs a harness once over saved inputs, without libFuzzer: every file named
// on the command line, and every file in each folder named (sorted by name,
// not recursive). A folder that does not exist holds no inputs; no input at
// all is a failure, so that a harness cannot lose its seeds unnoticed.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    fs::path path(argv[i]);
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(path)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
      inputs.insert(inputs.end(), files.begin(), files.end());
    } else if (fs::is_regular_file(path, ec)) {
      inputs.push_back(path);
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "replay: no inputs\n");
    return 1;
  }
  double slowest = 0;
  std::string slowest_name;
  for (const fs::path& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
      return 1;
    }
    std::fprintf(stderr, "replay: %s\n", path.c_str());
    auto start = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds > slowest) {
      slowest = seconds;
      slowest_name = path.string();
    }
  }
  std::printf("replayed %zu inputs; slowest %.3f s (%s)\n", inputs.size(), slowest, slowest_name.c_str());
  return 0;
}
