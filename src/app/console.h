// The text console: colours, clearing, cursor and the screen size, plus the
// two line builders every screen of the program uses (the framed banner and
// the bracketed progress bar).
//
// Colours follow the console's colour indices (0 black, 1 blue, 7 light grey,
// 12 light red, 14 yellow, 15 white). They become ANSI escape sequences only
// when standard output is a terminal; into a pipe or file the program writes
// its plain 8-bit text, byte for byte. On a terminal whose locale is UTF-8
// the text is converted from the ANSI code page so accented names read right.
//
// The screen width is the terminal's, else $COLUMNS, else 80; the height the
// terminal's, else $LINES, else 25. Both are taken once when the console is
// created.
#ifndef VX_APP_CONSOLE_H_
#define VX_APP_CONSOLE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

class TConsole {
 public:
  // The process's console over standard output.
  static TConsole& Instance();
  // A console that writes into `sink` (tests); never a terminal.
  TConsole(std::string* sink, int width, int height = 25);

  int ScreenWidth() const { return width_; }
  int ScreenHeight() const { return height_; }
  bool IsTerminal() const { return is_terminal_; }
  uint8_t TextAttr() const { return attribute_; }

  void ClrScr();                      // only on a terminal
  void GotoXY(int column, int row);   // 1-based; outside the window ignored
  void TextColor(int color);          // attribute := (attr & 0x70) | (n & 0x8F)
  void TextBackground(int color);     // attribute := (attr & 0x8F) | ((n * 16) & 0x7F)
  void Write(std::string_view text);
  void WriteLn(std::string_view text = {});
  void Flush();

 private:
  TConsole();  // standard output
  void Emit(std::string_view bytes);
  void ApplyColour();

  std::string* sink_ = nullptr;
  int width_ = 80;
  int height_ = 25;
  bool is_terminal_ = false;
  bool utf8_ = false;
  uint8_t attribute_ = 7;
  int emitted_attribute_ = -1;  // what the terminal shows now; -1 unknown
};

// Writes one line exactly as wide as the screen: left char, blank, text,
// blank, right char, centred with fill characters ("=" with fill on
// background 2, "-" with fill otherwise, blanks without fill). Ends with a
// line break only when fill is set; otherwise the full-width line wraps.
void WriteBanner(TConsole& console, std::string_view text, int text_color, int background,
                 char left, char right, bool fill);

// "[" + filled "#" + ">" + dots + "]", exactly `width` characters for
// width >= 2; the filled share rounds halves to even. A width below 2 gives
// the empty text (a console too narrow for a bar shows none).
std::string DrawProgressBar(int64_t position, int64_t total, int width);

}  // namespace vx

#endif  // VX_APP_CONSOLE_H_
