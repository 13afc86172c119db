#include "app/help_text.h"

#include "app/console.h"

namespace vx {

const char kProgramTitle[] = "Quarnel CLE Scan v1.6.0.27";
const char kLegalNotice[] = "(c) Orvane Limited. All rights reserved.";
const char kSettingsFileName[] = "vexascan.ini";

void WriteProgramBanner(TConsole& console) {
  console.ClrScr();
  console.GotoXY(1, 1);
  WriteBanner(console, kProgramTitle, 15, 1, '[', ']', false);
  WriteBanner(console, kLegalNotice, 7, 1, ' ', ' ', false);
}

std::vector<std::string> HelpLines() {
  const std::string ini = kSettingsFileName;
  return {
      "",
      "Available command line parameters are:",
      "",
      "/help              - shows this help screen.",
      "/pathhelp          - shows help for possible path constants.",
      "",
      "/createtxtreport   - creates a text report after finishing the scan.",
      "/createxmlreport   - creates a XML report after finishing the scan.",
      "/createhtmlreport  - creates a HTML report after finishing the scan.",
      "/createproductlist - creates a XML file containing all targetted threats.",
      "                 ... optionally using filenames specified in " + ini + ".",
      "",
      "/fixall            - fixes all results after the scan.",
      "/fixcustom         - allows choosing what to fix after the scan.",
      "/nobackups         - don't create backups of fixed stuff.",
      "/noshredding       - don't shred stuff that is being removed.",
      "",
      "/singleproductscan - scans (and optionally fixes) just one specific product.",
      "/multiproductscan  - scans (and optionally fixes) just specific products.",
      "                 ... using product name(s) specified in " + ini + ".",
      "/allhives          - scans registry and files from inactive installations as well.",
      "",
      "Fixing problems is not available in this version!",
      "",
      "The Windows installation to scan:",
      "",
      "/image=DIR         - the system volume (drive C:) of the installation, as a folder.",
      "/drive=D:DIR       - a further volume of the installation (repeatable).",
      "/user=NAME         - the user whose profile is scanned (folder name or SID).",
      "/writable          - allow changes to the image (reports written into it).",
  };
}

void WriteHelp(TConsole& console) {
  for (const std::string& line : HelpLines()) console.WriteLn(line);
}

}  // namespace vx
