// EVxError: the program's general exception, carrying one readable message.
// Units of work catch it (and std::exception) and go on with the next unit.
#ifndef VX_BASE_ERROR_H_
#define VX_BASE_ERROR_H_

#include <stdexcept>
#include <string>

namespace vx {

class EVxError : public std::runtime_error {
 public:
  explicit EVxError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vx

#endif  // VX_BASE_ERROR_H_
