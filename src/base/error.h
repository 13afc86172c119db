// The program's one exception type: errors carry a message, and nearly every
// unit of work catches them, logs or shows the message and goes on.
#ifndef VX_BASE_ERROR_H_
#define VX_BASE_ERROR_H_

#include <exception>
#include <stdexcept>
#include <string>

namespace vx {

class EVxError : public std::runtime_error {
 public:
  explicit EVxError(const std::string& message) : std::runtime_error(message) {}
};

// The message of a caught error, for the notices that name it; "unknown
// error" for anything that is no std::exception.
inline std::string ErrorText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

}  // namespace vx

#endif  // VX_BASE_ERROR_H_
