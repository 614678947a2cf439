// Reduces an adapter endpoint to scheme, host and port so status reports never show user
// names, passwords, paths or query strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qx {

// Trimmed; "scheme://authority..." where the scheme starts with an ASCII letter and holds only
// letters, digits, '+', '-' and '.'. The authority ends at the first '/', '?' or '#'; everything
// up to its last '@' is dropped. Gives "{lower-case scheme}://{rest of authority}", or nothing
// when the text has no "://", the scheme is malformed, or the rest is empty or holds a control
// character, a space or DEL.
std::optional<std::string> redact_adapter_endpoint(std::string_view endpoint);

}  // namespace qx
