// Escaping for text placed in HTML and XML output.
#ifndef VX_BASE_ESCAPE_HTML_H_
#define VX_BASE_ESCAPE_HTML_H_

#include <string>
#include <string_view>

namespace vx {

// "&" -> "&amp;" (first, so later entities are not escaped again), "<" ->
// "&lt;", ">" -> "&gt;", '"' -> "&quot;", the byte 169 (copyright sign) ->
// "&#169;". Everything else is copied.
std::string EscapeHtml(std::string_view text);

}  // namespace vx

#endif  // VX_BASE_ESCAPE_HTML_H_
