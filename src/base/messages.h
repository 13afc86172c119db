// The numbered messages the user sees. Only the entries this edition shows
// have texts; every other number gives the empty text.
#ifndef VX_BASE_MESSAGES_H_
#define VX_BASE_MESSAGES_H_

#include <string>

namespace vx {

enum TMessageId {
  msgWarningServices = 8,
  msgWarningIncludeFile = 12,
  msgWarningBadServiceTitle = 15,
  msgWarningBadServiceFileMissing = 16,
  msgInternal1 = 21,
  msgInternal3 = 23,
  msgProgress1 = 27,
  msgProgress3 = 29,
  msgResultsHost = 52,
  msgScanProblemsFound = 85,
  msgScanSearchException = 88,
  msgScanDetailsCountFiles = 90,
  msgScanDetailsCountApps = 91,
  msgHintOfTheDayMain = 137,
  msgHintOfTheDayProductInfo = 138,
  msgPleaseWaitDownloadDirs = 140,
  msgSystemClear = 172,
  msgSystemNoQuarnels = 174,
  msgSystemNoTracks = 176,
};

constexpr int kMessageCount = 311;

std::string GetMessageText(int number);

}  // namespace vx

#endif  // VX_BASE_MESSAGES_H_
