// Program entry: hands the command line to the entry sequence.
#include "app/command_line.h"
#include "app/console.h"
#include "app/help_text.h"

int main(int argc, char** argv) {
  vx::SetProcessCommandLine(vx::TCommandLine::FromMain(argc, argv));
  const vx::TCommandLine& command_line = vx::ProcessCommandLine();
  vx::TConsole& console = vx::TConsole::Instance();
  vx::WriteProgramBanner(console);
  if (command_line.HasSwitch("help")) {
    vx::WriteHelp(console);
    console.Flush();
    return 0;
  }
  console.WriteLn("o No scan is possible yet: name an image with /image=DIR.");
  console.Flush();
  return 2;
}
