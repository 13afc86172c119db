// A program folder for runs of the program inside the test process. Both
// companion files are there but are no libraries, so they fail to load and
// every library call takes the scanner's own fallback.
#ifndef VX_TESTS_SUPPORT_PROGRAM_FOLDER_H_
#define VX_TESTS_SUPPORT_PROGRAM_FOLDER_H_

#include "support/temp_dir.h"

namespace vx::testing {

class TProgramFolder : public TTempDir {
 public:
  TProgramFolder() {
    Write("probex.dll", "not a library");
    Write("kitlib.dll", "not a library");
  }
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_PROGRAM_FOLDER_H_
