#include <exception>

#include "app/console.h"
#include "app/entry.h"
#include "base/command_line.h"

int main(int argc, char** argv) {
  vx::SetProcessCommandLine(vx::TCommandLine::FromMain(argc, argv));
  vx::TConsole& console = vx::TConsole::Instance();
  int exit_code = 2;
  try {
    exit_code = vx::RunVexascan(vx::ProcessCommandLine(), console);
  } catch (const std::exception& e) {
    console.TextColor(7);
    console.WriteLn(std::string("! ") + e.what());
  } catch (...) {
    console.WriteLn("! unexpected error, exiting!");
  }
  console.Flush();
  return exit_code;
}
