// UTF-8 validation and Unicode white-space classification for text crossing the C boundary.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

// True when `text` is well-formed UTF-8: no overlong forms, no surrogates, nothing above
// U+10FFFF, no truncated sequences.
bool is_valid_utf8(std::string_view text) noexcept;

// True for the code points Unicode marks White_Space (tab to carriage return, space, NEL,
// no-break space, ogham space, the en quad to hair space range, line and paragraph separators,
// narrow no-break space, medium mathematical space and ideographic space).
bool is_unicode_whitespace(char32_t cp) noexcept;

// True when valid UTF-8 `text` is empty or consists only of Unicode white space.
bool is_blank_utf8(std::string_view text) noexcept;

// `text` without the Unicode white space at its start and end. Trimming stops at the first
// malformed sequence from either side, so invalid UTF-8 is never cut in the middle.
std::string_view trim_unicode_whitespace(std::string_view text) noexcept;

}  // namespace qx
