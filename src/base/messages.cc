#include "base/messages.h"

namespace vx {

std::string GetMessageText(int number) {
  switch (number) {
    case msgWarningServices:
      return "Quarnel has detected a system service that has been identified as a threat:\r\n"
             "Displayed name: %s\r\n"
             "Registry key: %s\r\n"
             "It has been shut down. You can check its status on the System Services Control "
             "Panel.";
    case msgWarningIncludeFile:
      return "There were problems in the include file %s\r\nSee 'Include errors.log' for details.";
    case msgWarningBadServiceTitle:
      return "Service check.";
    case msgWarningBadServiceFileMissing:
      return "The Services.qrs file is missing. Please use the update to get a new copy!";
    case msgInternal1:
      return "Quarnel";
    case msgInternal3:
      return "Usage Tracking";
    case msgProgress1:
      return "Running bot-check";
    case msgProgress3:
      return "Running usage-tracking-check";
    case msgResultsHost:
      return "Redirected host";
    case msgScanProblemsFound:
      return "problems found";
    case msgScanSearchException:
      return "Error during check!";
    case msgScanDetailsCountFiles:
      return "%d files";
    case msgScanDetailsCountApps:
      return "%d apps";
    case msgHintOfTheDayMain:
      return "Hint of the Day";
    case msgHintOfTheDayProductInfo:
      return "Click the bar at the right of this to see more information!";
    case msgPleaseWaitDownloadDirs:
      return "Please wait while scanning download directories...";
    case msgSystemClear:
      return "Congratulations!";
    case msgSystemNoQuarnels:
      return "No immediate threats were found.";
    case msgSystemNoTracks:
      return "No usage tracks were found.";
    default:
      return std::string();
  }
}

}  // namespace vx
