// The small environment of named values that probex keeps for as long as it
// stays loaded: rule lines set values with one advanced parameter and test
// them with another, and the scanner reads the whole list to fill in
// "<$ENV(name)>" references.
#ifndef VX_COMPANIONS_PROBEX_PROBEX_ENVIRONMENT_H_
#define VX_COMPANIONS_PROBEX_PROBEX_ENVIRONMENT_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vx::companion {

class TProbexEnvironment {
 public:
  // Sets or replaces a value; names are compared ignoring case and keep the
  // spelling of their first setting. False for an empty name or for a name
  // or value that would break the line format (CR, LF, NUL, or "=" in the
  // name), and when the environment is full.
  bool Set(std::string_view name, std::string_view value);
  void Delete(std::string_view name);
  void Clear() { entries_.clear(); }
  // False when the name is not set.
  bool Find(std::string_view name, std::string* value) const;
  // One "Name=Value" line per entry, each ended by CR LF, in setting order.
  std::string Text() const;

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace vx::companion

#endif  // VX_COMPANIONS_PROBEX_PROBEX_ENVIRONMENT_H_
