// Turning venue and symbol texts into single, safe directory names under the store's root.
//
// An ordinary name - one or more ASCII letters, digits, '-', '_' and '.', other than "." and
// ".." - is used unchanged. Any other text, the empty text included, becomes '%' followed by
// the text with every byte outside that set written as '%' and two upper-case hex digits:
// "BTC/USD" -> "%BTC%2FUSD", ".." -> "%..", "" -> "%". Ordinary names never contain '%', and
// the escaped form is reversible, so two different texts never share a directory name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qx::persist {

std::string encode_path_component(std::string_view text);

// The text a directory name stands for; nullopt when the name is not a valid encoding.
std::optional<std::string> decode_path_component(std::string_view name);

}  // namespace qx::persist
