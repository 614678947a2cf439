// Reading identifier fields of execution records handed in by the host, and writing
// identifiers into the fixed char arrays of output records.
#pragma once

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>

#include "execution_core/fixed_ascii.h"
#include "ffi/support/text_args.h"

namespace qx::ffi {

// A required identifier: present by the optional-text rule (non-NULL, valid UTF-8, not blank),
// at most N bytes and ASCII; otherwise nullopt and the record holding it is invalid.
template <std::size_t N>
std::optional<exec::FixedAscii<N>> required_identifier(const char* text) {
    const std::optional<std::string> value = non_empty_string(text);
    if (!value) {
        return std::nullopt;
    }
    auto id = exec::FixedAscii<N>::from_text(*value);
    if (!id) {
        return std::nullopt;
    }
    return *id;
}

// An optional identifier: as a required one, but anything absent, too long or not ASCII
// simply becomes the empty identifier.
template <std::size_t N>
exec::FixedAscii<N> optional_identifier(const char* text) {
    return required_identifier<N>(text).value_or(exec::FixedAscii<N>{});
}

// Zero-fills `out` and copies the identifier's text, leaving at least one NUL at the end.
template <std::size_t N>
void copy_identifier(const exec::FixedAscii<N>& id, char (&out)[N + 1]) noexcept {
    std::memset(out, 0, N + 1);
    const std::string_view text = id.text();
    std::memcpy(out, text.data(), text.size());
}

}  // namespace qx::ffi
