#include "adapters/endpoint_redaction.h"

#include <algorithm>

#include "support/ascii_case.h"
#include "support/utf8.h"

namespace qx {
namespace {

bool is_ascii_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_scheme_char(char c) {
    return is_ascii_letter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}  // namespace

std::optional<std::string> redact_adapter_endpoint(std::string_view endpoint) {
    const std::string_view text = trim_unicode_whitespace(endpoint);
    const std::size_t sep = text.find("://");
    if (sep == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view scheme = text.substr(0, sep);
    if (scheme.empty() || !is_ascii_letter(scheme.front()) ||
        !std::all_of(scheme.begin(), scheme.end(), is_scheme_char)) {
        return std::nullopt;
    }
    std::string_view authority = text.substr(sep + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    const bool unsafe = std::any_of(authority.begin(), authority.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == ' ' || b == 0x7F;
    });
    if (authority.empty() || unsafe) {
        return std::nullopt;
    }
    std::string out = ascii_lower(scheme);
    out.append("://").append(authority);
    return out;
}

}  // namespace qx
