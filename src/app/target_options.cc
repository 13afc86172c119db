#include "app/target_options.h"

#include <cctype>

namespace vx {

const char kNoImageMessage[] =
    "! No Windows installation named: give its system volume with /image=DIR (see /help).";

bool ParseTargetOptions(const TCommandLine& command_line, TOfflineOptions* options,
                        std::string* error) {
  std::string image;
  if (command_line.OptionValue("image", &image)) {
    if (image.empty()) {
      *error = "! /image= needs a folder: /image=DIR";
      return false;
    }
    options->image_root = image;
  }
  for (const std::string& drive : command_line.OptionValues("drive")) {
    if (drive.size() < 3 || !std::isalpha(static_cast<unsigned char>(drive[0])) ||
        drive[1] != ':') {
      *error = "! /drive=" + drive + " is not of the form /drive=D:DIR";
      return false;
    }
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    if (letter == 'C') {
      *error = "! /drive=" + drive + ": drive C: is the image itself (/image=DIR)";
      return false;
    }
    for (const auto& [known, dir] : options->drives) {
      if (known == letter) {
        *error = "! /drive=" + drive + ": drive " + std::string(1, letter) + ": is named twice";
        return false;
      }
    }
    options->drives.emplace_back(letter, drive.substr(2));
  }
  std::string user;
  if (command_line.OptionValue("user", &user)) options->user = user;
  options->writable = command_line.HasSwitch("writable");
  return true;
}

}  // namespace vx
