#include "persist/path_component.h"

#include <algorithm>

namespace qx::persist {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool is_plain_byte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

bool is_ordinary(std::string_view text) {
    return !text.empty() && text != "." && text != ".." &&
           std::all_of(text.begin(), text.end(), is_plain_byte);
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string encode_path_component(std::string_view text) {
    if (is_ordinary(text)) {
        return std::string(text);
    }
    std::string out = "%";
    out.reserve(1 + text.size() * 3);
    for (const char c : text) {
        if (is_plain_byte(c)) {
            out.push_back(c);
        } else {
            const auto b = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0xF]);
        }
    }
    return out;
}

std::optional<std::string> decode_path_component(std::string_view name) {
    if (name.empty() || name.front() != '%') {
        return is_ordinary(name) ? std::optional<std::string>(name) : std::nullopt;
    }
    std::string out;
    for (std::size_t i = 1; i < name.size(); ++i) {
        const char c = name[i];
        if (is_plain_byte(c)) {
            out.push_back(c);
            continue;
        }
        if (c != '%' || name.size() - i < 3) {
            return std::nullopt;
        }
        const int hi = hex_value(name[i + 1]);
        const int lo = hex_value(name[i + 2]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        const char decoded = static_cast<char>(hi * 16 + lo);
        if (is_plain_byte(decoded)) {
            return std::nullopt;  // such bytes are never escaped
        }
        out.push_back(decoded);
        i += 2;
    }
    if (is_ordinary(out)) {
        return std::nullopt;  // an ordinary text is never escaped
    }
    return out;
}

}  // namespace qx::persist
