#include "platform/offline/reg_text.h"

#include <algorithm>
#include <cstdint>

#include "base/ansi_text.h"
#include "base/codepage.h"

namespace vx {

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

std::string DecodeToUtf8(std::string_view bytes, int code_page) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    return Utf16LeToUtf8(bytes.substr(2));
  }
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
    return std::string(bytes.substr(3));
  }
  // UTF-16LE that lost its mark: the header's first letters each have a zero byte behind them.
  if (bytes.size() >= 4 && bytes[0] != '\0' && bytes[1] == '\0' && bytes[2] != '\0' && bytes[3] == '\0') {
    return Utf16LeToUtf8(bytes);
  }
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return AnsiToUtf8(bytes, code_page);
}

// The system's limits: 255 characters for a key name, 16,383 for a value name.
constexpr size_t kMaxKeyNameChars = 255;
constexpr size_t kMaxValueNameChars = 16383;
// The system keeps at most 512 levels of keys; twice that leaves room for any
// root a dump names and still keeps every walk over the tree shallow (a
// hostile file could otherwise nest keys a hundred thousand levels deep).
constexpr size_t kMaxKeyPathParts = 1024;

size_t Utf16Length(std::string_view utf8) { return Utf8ToUtf16Le(utf8).size() / 2; }

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text starting after the opening quote at s[*pos]; handles \\ and \".
bool ReadQuoted(std::string_view s, size_t* pos, std::string* out) {
  out->clear();
  size_t i = *pos;
  while (i < s.size()) {
    char c = s[i];
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out->push_back(s[i + 1]);
      i += 2;
      continue;
    }
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    out->push_back(c);
    ++i;
  }
  return false;
}

bool ParseHexBytes(std::string_view s, std::string* out) {
  out->clear();
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\\')) ++i;
    if (i >= s.size()) break;
    int hi = HexDigit(s[i]);
    if (hi < 0) return false;
    int lo = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
    if (lo < 0) {
      // A single digit is one byte, as regedit reads it.
      out->push_back(static_cast<char>(hi));
      ++i;
    } else {
      out->push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    }
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i < s.size()) {
      if (s[i] != ',') return false;
      ++i;
    }
  }
  return true;
}

// 8-bit string data of a REGEDIT4 file -> UTF-16LE, zero by zero.
std::string AnsiBytesToUtf16(std::string_view bytes, int code_page) {
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i <= bytes.size(); ++i) {
    if (i == bytes.size() || bytes[i] == '\0') {
      out += AnsiToUtf16Le(bytes.substr(start, i - start), code_page);
      if (i < bytes.size()) out.append(2, '\0');
      start = i + 1;
    }
  }
  return out;
}


}  // namespace

bool ParseRegText(std::string_view bytes, std::string_view label, int code_page,
                  std::vector<TRegOp>* ops, std::vector<std::string>* messages) {
  const bool utf8_names = code_page == kRegNamesUtf8;
  if (utf8_names) code_page = 1252;
  auto name_text = [&](std::string_view utf8) {
    return utf8_names ? std::string(utf8) : Utf8ToAnsi(utf8, code_page);
  };
  std::string text = DecodeToUtf8(bytes, code_page);
  std::vector<std::string_view> lines = SplitLines(text);
  auto report = [&](int line, std::string_view what) {
    if (messages) messages->push_back(std::string(label) + ":" + std::to_string(line) + ": " +
                                      std::string(what));
  };
  size_t i = 0;
  while (i < lines.size() && TrimView(lines[i]).empty()) ++i;
  if (i >= lines.size()) {
    if (messages) messages->push_back(std::string(label) + ": empty file, no registry export");
    return false;
  }
  std::string_view header = TrimView(lines[i]);
  bool version5;
  if (header == kHeader4) {
    version5 = false;
  } else if (header == kHeader5) {
    version5 = true;
  } else {
    report(static_cast<int>(i) + 1,
           "not a registry export (the first line must be \"REGEDIT4\" or \"Windows Registry "
           "Editor Version 5.00\")");
    return false;
  }
  ++i;
  std::string current_key;
  bool in_key = false;
  for (; i < lines.size(); ++i) {
    int line_no = static_cast<int>(i) + 1;
    std::string logical(TrimView(lines[i]));
    // Hex data may continue over several lines, each but the last ending in '\'.
    while (!logical.empty() && logical.back() == '\\' && logical.find("=hex") != std::string::npos &&
           i + 1 < lines.size()) {
      logical.pop_back();
      ++i;
      logical += TrimView(lines[i]);
    }
    std::string_view s = logical;
    if (s.empty() || s[0] == ';') continue;
    if (s[0] == '[') {
      size_t close = s.rfind(']');
      if (close == std::string_view::npos) {
        report(line_no, "key line without closing \"]\"");
        in_key = false;
        continue;
      }
      std::string_view path = s.substr(1, close - 1);
      bool remove = !path.empty() && path[0] == '-';
      if (remove) path.remove_prefix(1);
      while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
      if (path.empty()) {
        report(line_no, "empty key name");
        in_key = false;
        continue;
      }
      bool too_long = false;
      size_t parts = 0;
      for (size_t start = 0; start <= path.size() && !too_long;) {
        size_t end = std::min(path.find('\\', start), path.size());
        too_long = end - start > kMaxKeyNameChars && Utf16Length(path.substr(start, end - start)) > kMaxKeyNameChars;
        if (end > start) ++parts;
        start = end + 1;
      }
      if (too_long) {
        report(line_no, "key name longer than " + std::to_string(kMaxKeyNameChars) + " characters");
        in_key = false;
        continue;
      }
      if (parts > kMaxKeyPathParts) {
        report(line_no, "key path deeper than " + std::to_string(kMaxKeyPathParts) + " levels");
        in_key = false;
        continue;
      }
      TRegOp op;
      op.kind = remove ? TRegOpKind::roDeleteKey : TRegOpKind::roKey;
      op.key = name_text(path);
      op.line = line_no;
      ops->push_back(std::move(op));
      current_key = ops->back().key;
      in_key = !remove;
      continue;
    }
    if (s[0] != '"' && s[0] != '@') {
      report(line_no, "unexpected text \"" + Utf8ToAnsi(s.substr(0, 40), code_page) + "\"");
      continue;
    }
    if (!in_key) {
      report(line_no, "value outside a key");
      continue;
    }
    std::string name;
    size_t pos;
    if (s[0] == '@') {
      pos = 1;
    } else {
      pos = 1;
      if (!ReadQuoted(s, &pos, &name)) {
        report(line_no, "unterminated value name");
        continue;
      }
    }
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    if (pos >= s.size() || s[pos] != '=') {
      report(line_no, "\"=\" expected after the value name");
      continue;
    }
    if (name.size() > kMaxValueNameChars && Utf16Length(name) > kMaxValueNameChars) {
      report(line_no, "value name longer than " + std::to_string(kMaxValueNameChars) + " characters");
      continue;
    }
    std::string_view data = TrimView(s.substr(pos + 1));
    TRegOp op;
    op.key = current_key;
    op.value_name = name_text(name);
    op.line = line_no;
    op.kind = TRegOpKind::roValue;
    if (data == "-") {
      op.kind = TRegOpKind::roDeleteValue;
    } else if (!data.empty() && data[0] == '"') {
      size_t p = 1;
      std::string str;
      if (!ReadQuoted(data, &p, &str) || !TrimView(data.substr(p)).empty()) {
        report(line_no, "bad string data");
        continue;
      }
      op.value.type = kRegSz;
      op.value.data = Utf8ToUtf16Le(str);
      op.value.data.append(2, '\0');
    } else if (AnsiStartsText("dword:", data)) {
      std::string_view digits = TrimView(data.substr(6));
      uint32_t v = 0;
      bool ok = !digits.empty() && digits.size() <= 8;
      for (char c : digits) {
        int d = HexDigit(c);
        if (d < 0) ok = false;
        v = v * 16 + static_cast<uint32_t>(d < 0 ? 0 : d);
      }
      if (!ok) {
        report(line_no, "bad dword data");
        continue;
      }
      op.value.type = kRegDword;
      for (int k = 0; k < 4; ++k) op.value.data.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    } else if (AnsiStartsText("hex", data)) {
      std::string_view rest = data.substr(3);
      uint32_t type = kRegBinary;
      if (!rest.empty() && rest[0] == '(') {
        size_t close = rest.find(')');
        std::string_view num = close == std::string_view::npos ? "" : rest.substr(1, close - 1);
        uint32_t t = 0;
        bool ok = !num.empty() && num.size() <= 8;
        for (char c : num) {
          int d = HexDigit(c);
          if (d < 0) ok = false;
          t = t * 16 + static_cast<uint32_t>(d < 0 ? 0 : d);
        }
        if (!ok) {
          report(line_no, "bad value type in hex(...)");
          continue;
        }
        type = t;
        rest = rest.substr(close + 1);
      }
      if (rest.empty() || rest[0] != ':') {
        report(line_no, "\":\" expected after hex");
        continue;
      }
      std::string raw;
      if (!ParseHexBytes(rest.substr(1), &raw)) {
        report(line_no, "bad hex data");
        continue;
      }
      if (!version5 && (type == kRegSz || type == kRegExpandSz || type == kRegMultiSz)) {
        raw = AnsiBytesToUtf16(raw, code_page);
      }
      op.value.type = type;
      op.value.data = std::move(raw);
    } else {
      report(line_no, "unrecognised value data \"" + Utf8ToAnsi(data.substr(0, 40), code_page) + "\"");
      continue;
    }
    ops->push_back(std::move(op));
  }
  return true;
}

std::string RegTextHeader(TRegTextFormat format) {
  return std::string(format == TRegTextFormat::rfRegedit4 ? kHeader4 : kHeader5) + "\r\n\r\n";
}

std::string RegTextKeyLine(std::string_view full_path) {
  std::string line;
  line.reserve(full_path.size() + 3);
  line.push_back('[');
  line.append(full_path);
  line.append("]\r\n");
  return line;
}

namespace {

std::string QuoteRegText(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// A REG_SZ that regedit writes as a quoted string: one terminating zero at
// the end and none inside.
bool IsPlainString(const std::string& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  size_t n = data.size() / 2;
  if (data[2 * (n - 1)] != '\0' || data[2 * (n - 1) + 1] != '\0') return false;
  for (size_t k = 0; k + 1 < n; ++k) {
    if (data[2 * k] == '\0' && data[2 * k + 1] == '\0') return false;
  }
  return true;
}

}  // namespace

std::string RegTextValueLine(std::string_view name, const TRegValue& value, TRegTextFormat format,
                             int code_page) {
  std::string line = name.empty() ? std::string("@") : QuoteRegText(name);
  line += "=";
  if (value.type == kRegSz && IsPlainString(value.data)) {
    std::string_view body(value.data.data(), value.data.size() - 2);
    std::string text = code_page == kRegNamesUtf8 ? Utf16LeToUtf8(body) : Utf16LeToAnsi(body, code_page);
    // A string the text cannot hold is written as hex, so that no character is lost.
    std::string back = code_page == kRegNamesUtf8 ? Utf8ToUtf16Le(text) : AnsiToUtf16Le(text, code_page);
    // A line break would end the quoted text in the middle: such a string is hex too.
    bool breaks = text.find_first_of("\r\n") != std::string::npos;
    if (!breaks && (back == body || format == TRegTextFormat::rfRegedit4)) {
      return line + QuoteRegText(text) + "\r\n";
    }
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(value.data[k]);
    return line + "dword:" + LowerCase(IntToHex(v, 8)) + "\r\n";
  }
  std::string data = value.data;
  if (format == TRegTextFormat::rfRegedit4 &&
      (value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz)) {
    data = Utf16LeDataToAnsi(data, code_page);
  }
  if (value.type == kRegBinary) {
    line += "hex:";
  } else {
    line += "hex(" + LowerCase(IntToHex(value.type, 1)) + "):";
  }
  static const char kDigits[] = "0123456789abcdef";
  size_t line_start = 0;
  for (size_t k = 0; k < data.size(); ++k) {
    unsigned char b = static_cast<unsigned char>(data[k]);
    line.push_back(kDigits[b >> 4]);
    line.push_back(kDigits[b & 15]);
    if (k + 1 < data.size()) {
      line.push_back(',');
      if (line.size() - line_start > 76) {
        line += "\\\r\n  ";
        line_start = line.size() - 2;
      }
    }
  }
  return line + "\r\n";
}

std::string EncodeRegText(std::string_view text, TRegTextFormat format, int code_page) {
  if (format == TRegTextFormat::rfRegedit4) return std::string(text);
  if (code_page == kRegNamesUtf8) return std::string("\xFF\xFE", 2) + Utf8ToUtf16Le(text);
  return std::string("\xFF\xFE", 2) + AnsiToUtf16Le(text, code_page);
}

}  // namespace vx
