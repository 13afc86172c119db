// TIncludeFile: reads one include file in any of its forms (plain text, text
// with scrambled or encrypted lines, the container) and hands out its decoded
// lines, its header pairs and its product headers. It also reads auxiliary
// list files. Include files are the program's own files on the host.
#ifndef VX_RULES_INCLUDE_FILE_H_
#define VX_RULES_INCLUDE_FILE_H_

#include <string>

#include "base/object.h"
#include "base/string_list.h"

namespace vx {

class TIncludeFile : public TObject {
 public:
  TIncludeFile() = default;

  // Replaces `target`'s content with the decoded lines of `file_name`. A
  // missing file leaves `target` alone; a damaged container gives no lines.
  // Throws EVxError when a "#%" line is not Base64 or the file
  // cannot be read: the caller treats the whole file as unreadable.
  void ReadLines(const std::string& file_name, TStringList* target);

  // Reads the header block of `file_name` into `pairs` (key=value) and
  // returns the "// count:" value, 0 when there is none or it is no number.
  // Header lines are never coded, so the text form is read raw here and
  // a bad "#%" line further down does not disturb the header. Fills the
  // all-lines list with this file's raw (for a container: decrypted) lines.
  int ReadHeader(const std::string& file_name, TStringList* pairs);

  // Reads the file last named again and lists the text after ":: " of every
  // product header line, with and without the part from the first "|" on.
  // GetProductsShort reuses the read of GetProducts for the same file.
  TStringList GetProducts();
  TStringList GetProductsShort();

  // An auxiliary list file: the whole file deciphered with the list key.
  // False when the file does not exist or cannot be read.
  bool LoadListFile(const std::string& file_name, TStringList* target);

  int LineCount() const { return line_count_; }
  // The raw lines ReadHeader read: a container's decrypted text lines, or a
  // text form's lines undecoded. Split only when asked for.
  const TStringList& AllLines() const;
  const std::string& FileName() const { return file_name_; }

 private:
  void CollectProducts();

  int line_count_ = 0;
  // The file as ReadHeader read it, kept for the product read and AllLines:
  // its bytes, and for a container its decrypted text.
  std::string raw_file_;  // the file named by raw_bytes_
  std::string raw_bytes_;
  std::string raw_text_;
  bool raw_container_ = false;
  mutable TStringList all_lines_;
  mutable bool all_lines_valid_ = true;
  TStringList products_;
  TStringList short_products_;
  bool products_valid_ = false;
  std::string file_name_;
};

// Parses one header line into `pairs` and `count`; false when the line ends
// the header block (an empty line or one that does not start with "//").
bool ParseIncludeHeaderLine(const std::string& line, TStringList* pairs, int* count);

}  // namespace vx

#endif  // VX_RULES_INCLUDE_FILE_H_
