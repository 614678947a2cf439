// Escaping of host- and configuration-supplied text placed inside JSON strings.
#pragma once

#include <string>
#include <string_view>

namespace qx {

// Backslash, double quote, line feed, carriage return and tab become \\, \", \n, \r and \t;
// every other character below 0x20 becomes \u00xx with four lowercase hex digits, so the
// result is always valid JSON string content. 0x7F and non-ASCII bytes pass unchanged.
std::string escape_json(std::string_view text);

// Appends the escaped form of `text` to `out`.
void append_escaped_json(std::string& out, std::string_view text);

}  // namespace qx
