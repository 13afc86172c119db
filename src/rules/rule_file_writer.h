// Turning a plain rule file into its text forms and back, for the rule-file
// tool and for tests. The mapping, line by line:
//
//  - the header block (the leading "//" lines up to the first empty or other
//    line), empty lines, and lines that start with "/" or ":" (comments and
//    product headers, which registration reads undecoded) are copied as they
//    stand;
//  - every other line L becomes "##" + scramble(" " + L) or
//    "#%" + Base64(encrypt(" " + L)): decoding gives "##" or "#%", the
//    separator blank and L, and the interpreter drops those three characters.
//
// Lines end where the reader ends them (LF, CR LF or a lone CR); line ends
// are kept byte for byte, and a missing final one, so
// DecodeRuleText(EncodeRuleText(x)) == x. Decoding applies the reader's line
// decoding and drops the three characters of every coded line (longer than
// three characters, as the interpreter requires); everything else is copied.
#ifndef VX_RULES_RULE_FILE_WRITER_H_
#define VX_RULES_RULE_FILE_WRITER_H_

#include <string>
#include <string_view>

namespace vx {

enum class TLineForm { lfScrambled, lfEncrypted };

// Throws EVxError naming the line when a line cannot be carried by
// the form: scrambling a line holding the bytes 11, 12, 14 or 15 would put a
// line break into the stored line.
std::string EncodeRuleText(std::string_view plain, TLineForm form);

// Throws EVxError naming the line for a "#%" line that is not
// Base64.
std::string DecodeRuleText(std::string_view encoded);

// Any stored form of a rule file, or a compressed information file, back to
// its plain text: containers and "LCF1" files are unpacked, other files go
// through DecodeRuleText. Throws for a damaged container.
std::string DecodeAnyRuleFile(std::string_view file_bytes);

}  // namespace vx

#endif  // VX_RULES_RULE_FILE_WRITER_H_
