#include "rules/rule_file_writer.h"

#include "base/ansi_text.h"
#include "base/error.h"
#include "rules/include_codec.h"
#include "rules/include_format.h"

namespace vx {

namespace fmt = include_format;

namespace {

struct TLinePiece {
  std::string_view text;
  std::string_view end;  // "\n", "\r\n", "\r" or empty for a last line without one
};

// Splits where the reader splits (LF, CR LF or a lone CR), keeping each line
// end, so that the line ends come back exactly as they were and every coded
// line is one line of the reader.
template <typename Fn>
void ForEachLine(std::string_view text, Fn fn) {
  size_t pos = 0;
  int number = 1;
  while (pos < text.size()) {
    size_t stop = text.find_first_of("\r\n", pos);
    size_t next = text.size();
    if (stop == std::string_view::npos) {
      stop = text.size();
    } else {
      next = stop + (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n' ? 2 : 1);
    }
    fn(TLinePiece{text.substr(pos, stop - pos), text.substr(stop, next - stop)}, number++);
    pos = next;
  }
}

std::string LineError(int number, const std::string& what) {
  return "line " + IntToStr(number) + ": " + what;
}

}  // namespace

std::string EncodeRuleText(std::string_view plain, TLineForm form) {
  std::string out;
  out.reserve(plain.size() * (form == TLineForm::lfEncrypted ? 2 : 1) + 64);
  bool in_header = true;
  ForEachLine(plain, [&](const TLinePiece& piece, int number) {
    std::string_view line = piece.text;
    if (in_header && (line.empty() || !line.starts_with(fmt::kHeaderPrefix))) in_header = false;
    bool keep = in_header || line.empty() || line[0] == '/' || line[0] == ':';
    if (keep) {
      out.append(line);
    } else {
      std::string body(1, fmt::kSeparator);
      body.append(line);
      if (form == TLineForm::lfScrambled) {
        std::string coded = ScrambleLine(body);
        if (coded.find_first_of("\r\n") != std::string::npos) {
          throw EVxError(LineError(
              number, "holds a control character that the scrambled form cannot carry; "
                      "use the encrypted form"));
        }
        out += coded;
      } else {
        out += EncryptLine(body);
      }
    }
    out.append(piece.end);
  });
  return out;
}

std::string DecodeRuleText(std::string_view encoded) {
  std::string out;
  out.reserve(encoded.size());
  bool in_header = true;
  std::string decoded;
  ForEachLine(encoded, [&](const TLinePiece& piece, int number) {
    std::string_view line = piece.text;
    if (in_header && (line.empty() || !line.starts_with(fmt::kHeaderPrefix))) in_header = false;
    bool coded = !in_header && line.size() > fmt::kCodedPrefixLength &&
                 (line.starts_with(fmt::kScrambledMarker) || line.starts_with(fmt::kEncryptedMarker));
    if (coded) {
      if (!DecodeIncludeLine(line, &decoded)) {
        throw EVxError(LineError(number, "is not valid Base64"));
      }
      out.append(decoded, fmt::kCodedPrefixLength, std::string::npos);
    } else {
      out.append(line);
    }
    out.append(piece.end);
  });
  return out;
}

std::string DecodeAnyRuleFile(std::string_view file_bytes) {
  if (IsContainer(file_bytes)) {
    std::string text;
    if (!UnpackContainer(file_bytes, &text)) throw EVxError("damaged container");
    return text;
  }
  if (IsCompressedInfo(file_bytes)) {
    bool complete = false;
    std::string text = DecompressInfo(file_bytes, &complete);
    if (!complete) throw EVxError("damaged compressed information file");
    return text;
  }
  return DecodeRuleText(file_bytes);
}

}  // namespace vx
