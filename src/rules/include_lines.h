// TIncludeLines: the decoded lines of one include file, one at a time, so a
// file of millions of lines is read in the memory of its bytes alone.
//
// The lines are those TIncludeFile::ReadLines gives: a container's text lines
// as they come out of it (none when it is damaged), or the text form's lines
// with every "##" and "#%" line decoded. Lines end at CR LF, LF or CR.
#ifndef VX_RULES_INCLUDE_LINES_H_
#define VX_RULES_INCLUDE_LINES_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vx {

class TIncludeLines {
 public:
  // Reads `file_name` from the host. False for a missing file (no lines).
  // Throws EVxError when the file cannot be read or when a "#%" line is not
  // Base64: then the whole file counts as unreadable, before any of its
  // lines was handed out.
  bool Open(const std::string& file_name);
  // The same over bytes already read (tests, the fuzzing harness).
  void OpenBytes(std::string bytes, std::string_view file_name);
  // The same over bytes that outlive the reader; a text form is not copied.
  void OpenView(std::string_view bytes, std::string_view file_name);
  // Text whose lines are handed out as they stand, never decoded: the
  // header block and a container's text.
  void OpenRaw(std::string_view text);

  // The next decoded line, valid until the next call; false at the end.
  bool Next(std::string_view* line);
  // 1-based number of the line Next gave last.
  size_t LineNumber() const { return line_number_; }

 private:
  bool NextRaw(std::string_view* line);
  void CheckEncryptedLines(std::string_view file_name);

  std::string owned_;      // what the reader read or unpacked itself
  std::string_view text_;  // the text being read: owned_ or the caller's
  size_t pos_ = 0;
  size_t line_number_ = 0;
  bool decode_ = false;  // the text form, whose coded lines are decoded
  std::string decoded_;
};

}  // namespace vx

#endif  // VX_RULES_INCLUDE_LINES_H_
