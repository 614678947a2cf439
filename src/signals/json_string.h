// How the signal documents write text as a JSON string. Fuller than the boundary's escaping:
// besides the quote, the backslash and the usual short escapes, every other C0 control
// character, DEL and every C1 control character (U+0080 to U+009F) become \u00xx.
#pragma once

#include <string>
#include <string_view>

namespace qx {

// Appends `text` (UTF-8) to `out` as a quoted JSON string: " becomes \", \ becomes \\, tab,
// line feed and carriage return become \t, \n and \r, every other character below U+0020 and
// every character from U+007F to U+009F becomes \u followed by four lowercase hex digits, and
// everything else is copied unchanged. Bytes that are not valid UTF-8 are copied as they are.
void push_json_string(std::string& out, std::string_view text);

}  // namespace qx
