#include "rules/include_lines.h"

#include <cstring>
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
  OpenRaw(std::string_view());
  if (r == THostRead::hrMissing) return false;
  if (r == THostRead::hrFailed) throw EVxError("Cannot read " + file_name);
  OpenBytes(std::move(bytes), file_name);
  return true;
}

void TIncludeLines::OpenBytes(std::string bytes, std::string_view file_name) {
  owned_ = std::move(bytes);
  OpenView(owned_, file_name);
}

void TIncludeLines::OpenView(std::string_view bytes, std::string_view file_name) {
  pos_ = 0;
  line_number_ = 0;
  decode_ = !IsContainer(bytes);
  if (decode_) {
    text_ = bytes;
    CheckEncryptedLines(file_name);
    return;
  }
  // A container's lines are used as they come out, without line decoding.
  std::string text;
  if (!UnpackContainer(bytes, &text)) text.clear();
  owned_ = std::move(text);
  text_ = owned_;
}

void TIncludeLines::OpenRaw(std::string_view text) {
  text_ = text;
  pos_ = 0;
  line_number_ = 0;
  decode_ = false;
}

void TIncludeLines::CheckEncryptedLines(std::string_view file_name) {
  // Most files hold no encrypted line at all.
  if (text_.find(fmt::kEncryptedMarker) == std::string_view::npos) return;
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
  std::string_view text = text_;
  // Two memchr passes beat find_first_of, which tries every byte against the
  // set one call at a time.
  const char* begin = text.data() + pos_;
  size_t rest = text.size() - pos_;
  const void* lf = std::memchr(begin, '\n', rest);
  size_t limit = lf ? static_cast<size_t>(static_cast<const char*>(lf) - begin) : rest;
  const void* cr = std::memchr(begin, '\r', limit);
  size_t end = pos_ + (cr ? static_cast<size_t>(static_cast<const char*>(cr) - begin) : limit);
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
