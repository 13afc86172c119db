#include "app/console_notifier.h"

#include <cstdio>

namespace vx {

namespace {

void PrintNotice(std::string_view caption, std::string_view text) {
  std::fflush(stdout);  // the notice belongs after the console lines written so far
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
}

}  // namespace

void TConsoleNotifier::WarningBox(std::string_view text, std::string_view caption) {
  PrintNotice(caption, text);
}

void TConsoleNotifier::EventLogError(std::string_view source, std::string_view text) {
  PrintNotice(source, text);
}

}  // namespace vx
