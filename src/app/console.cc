#include "app/console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>

#include "base/ansi_text.h"
#include "base/codepage.h"

namespace vx {

namespace {

int EnvNumber(const char* name, int def) {
  const char* v = std::getenv(name);
  int32_t n;
  if (v != nullptr && TryStrToInt(v, &n) && n > 0) return n;
  return def;
}

// Console colour index (bit 0 blue, bit 1 green, bit 2 red, bit 3 bright) to
// the ANSI colour number (bit 0 red, bit 1 green, bit 2 blue).
int AnsiColour(int index) {
  int rgb = ((index & 1) << 2) | (index & 2) | ((index & 4) >> 2);
  return rgb;
}

}  // namespace

TConsole& TConsole::Instance() {
  static TConsole console;
  return console;
}

TConsole::TConsole() {
  is_terminal_ = isatty(STDOUT_FILENO) == 1;
  width_ = EnvNumber("COLUMNS", 80);
  height_ = EnvNumber("LINES", 25);
  if (is_terminal_) {
    winsize ws{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) {
      width_ = ws.ws_col;
      if (ws.ws_row > 0) height_ = ws.ws_row;
    }
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    utf8_ = codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
  }
}

TConsole::TConsole(std::string* sink, int width, int height)
    : sink_(sink), width_(width), height_(height) {}

void TConsole::Emit(std::string_view bytes) {
  if (sink_ != nullptr) {
    sink_->append(bytes);
    return;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void TConsole::ApplyColour() {
  if (!is_terminal_ || emitted_attribute_ == attribute_) return;
  int fg = attribute_ & 0x0F, bg = (attribute_ >> 4) & 0x07;
  char buf[32];
  std::snprintf(buf, sizeof buf, "\x1b[0;%d;%dm", (fg & 8 ? 90 : 30) + AnsiColour(fg & 7),
                40 + AnsiColour(bg));
  Emit(buf);
  emitted_attribute_ = attribute_;
}

void TConsole::ClrScr() {
  if (!is_terminal_) return;
  ApplyColour();
  Emit("\x1b[2J\x1b[H");
}

void TConsole::GotoXY(int column, int row) {
  if (!is_terminal_ || column < 1 || row < 1 || column > width_ || row > height_) return;
  char buf[32];
  std::snprintf(buf, sizeof buf, "\x1b[%d;%dH", row, column);
  Emit(buf);
}

void TConsole::TextColor(int color) {
  attribute_ = static_cast<uint8_t>((attribute_ & 0x70) | (color & 0x8F));
}

void TConsole::TextBackground(int color) {
  attribute_ = static_cast<uint8_t>((attribute_ & 0x8F) | ((color * 16) & 0x7F));
}

void TConsole::Write(std::string_view text) {
  if (text.empty()) return;
  ApplyColour();
  if (utf8_ && sink_ == nullptr) {
    Emit(AnsiToUtf8(text));
  } else {
    Emit(text);
  }
}

void TConsole::WriteLn(std::string_view text) {
  Write(text);
  if (is_terminal_ && (attribute_ & 0x70) != 0) {
    // A coloured background must not bleed into the rest of the next line.
    Emit("\x1b[0m");
    emitted_attribute_ = -1;
  }
  Emit("\n");
}

void TConsole::Flush() {
  // A flush puts what was written on the screen at once. Into a pipe or a
  // file nobody watches the line being drawn, and a write per piece of every
  // progress line would cost more than the scan: stdio's buffer decides
  // there, and notices and the exit flush it.
  if (sink_ == nullptr && is_terminal_) std::fflush(stdout);
}

void WriteBanner(TConsole& console, std::string_view text, int text_color, int background,
                 char left, char right, bool fill) {
  console.TextBackground(background);
  console.TextColor(text_color);
  const int width = console.ScreenWidth();
  char fill_char = fill ? (background == 2 ? '=' : '-') : ' ';
  std::string body(text);
  if (static_cast<int>(body.size()) > width - 4) body.resize(width > 4 ? width - 4 : 0);
  std::string line;
  line.push_back(left);
  line.push_back(' ');
  line += body;
  line.push_back(' ');
  line.push_back(right);
  int d = (width - static_cast<int>(line.size())) / 2;
  if (d > 0) line.insert(0, static_cast<size_t>(d), fill_char);
  if (static_cast<int>(line.size()) < width) line.append(width - line.size(), fill_char);
  if (fill) {
    console.WriteLn(line);
  } else {
    console.Write(line);
    // Into a pipe the full-width line does not wrap by itself, so the line
    // break a terminal would add is written here.
    if (!console.IsTerminal()) console.WriteLn();
  }
  console.Flush();
  console.TextBackground(0);
  console.TextColor(7);
}

std::string DrawProgressBar(int64_t position, int64_t total, int width) {
  if (width < 2) return std::string();
  std::string bar = "[";
  const int64_t inner = width - 2;
  if (total == 0) {
    bar.append(inner, '.');
  } else {
    double exact = static_cast<double>(position) / static_cast<double>(total) * inner;
    int64_t filled = static_cast<int64_t>(std::nearbyint(exact));  // halves to even
    filled = std::clamp<int64_t>(filled, 0, inner);
    int64_t rest = inner - filled;
    bar.append(filled, '#');
    if (rest > 0) {
      bar.push_back('>');
      bar.append(rest - 1, '.');
    }
  }
  bar.push_back(']');
  return bar;
}

}  // namespace vx
