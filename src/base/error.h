// The program's one exception type: errors carry a message, and nearly every
// unit of work catches them, logs or shows the message and goes on.
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
