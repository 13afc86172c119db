#include "rules/include_lines.h"

#include <utility>

#include "base/ansi_text.h"
#include "base/error.h"
#include "rules/host_file.h"
#include "rules/include_codec.h"
#include "rules/include_format.h"

namespace vx {

namespace fmt = include_format;

bool TIncludeLines::Open(const std::string& file_name) {
  std::string bytes;
  THostRead r = ReadHostFile(file_name, &bytes);
  text_.clear();
  pos_ = 0;
  line_number_ = 0;
  if (r == THostRead::hrMissing) return false;
  if (r == THostRead::hrFailed) throw EVxError("Cannot read " + file_name);
  OpenBytes(std::move(bytes), file_name);
  return true;
}

void TIncludeLines::OpenBytes(std::string bytes, std::string_view file_name) {
  pos_ = 0;
  line_number_ = 0;
  decode_ = !IsContainer(bytes);
  if (decode_) {
    text_ = std::move(bytes);
    CheckEncryptedLines(file_name);
  } else {
    // A container's lines are used as they come out, without line decoding.
    text_.clear();
    if (!UnpackContainer(bytes, &text_)) text_.clear();
  }
}

void TIncludeLines::CheckEncryptedLines(std::string_view file_name) {
  std::string_view line;
  std::string scratch;
  while (NextRaw(&line)) {
    if (line.size() >= fmt::kMinCodedLineLength && line.starts_with(fmt::kEncryptedMarker) &&
        !DecodeIncludeLine(line, &scratch)) {
      throw EVxError(std::string(file_name) + ": line " + IntToStr(static_cast<int64_t>(line_number_)) +
                     " is not valid Base64");
    }
  }
  pos_ = 0;
  line_number_ = 0;
}

bool TIncludeLines::NextRaw(std::string_view* line) {
  if (pos_ >= text_.size()) return false;
  std::string_view text(text_);
  size_t end = text.find_first_of("\r\n", pos_);
  if (end == std::string_view::npos) end = text.size();
  *line = text.substr(pos_, end - pos_);
  pos_ = end + 1;
  if (end < text.size() && text[end] == '\r' && pos_ < text.size() && text[pos_] == '\n') ++pos_;
  ++line_number_;
  return true;
}

bool TIncludeLines::Next(std::string_view* line) {
  if (!NextRaw(line)) return false;
  // Most lines are plain and stay as they are.
  if (decode_ && line->size() >= fmt::kMinCodedLineLength &&
      (line->starts_with(fmt::kScrambledMarker) || line->starts_with(fmt::kEncryptedMarker))) {
    DecodeIncludeLine(*line, &decoded_);  // "#%" lines were checked by Open
    *line = decoded_;
  }
  return true;
}

}  // namespace vx
