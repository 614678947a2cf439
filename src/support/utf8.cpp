#include "support/utf8.h"

namespace qx {
namespace {

// Decodes one code point starting at text[i]; returns its length, or 0 when malformed.
std::size_t decode_one(std::string_view text, std::size_t i, char32_t& out) noexcept {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - i < len) {
        return 0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    out = cp;
    return len;
}

}  // namespace

bool is_valid_utf8(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t n = decode_one(text, i, cp);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

bool is_unicode_whitespace(char32_t cp) noexcept {
    switch (cp) {
        case 0x09:
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x20:
        case 0x85:
        case 0xA0:
        case 0x1680:
        case 0x2028:
        case 0x2029:
        case 0x202F:
        case 0x205F:
        case 0x3000:
            return true;
        default:
            return cp >= 0x2000 && cp <= 0x200A;
    }
}

bool is_blank_utf8(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        const std::size_t n = decode_one(text, i, cp);
        if (n == 0 || !is_unicode_whitespace(cp)) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string_view trim_unicode_whitespace(std::string_view text) noexcept {
    std::size_t begin = 0;
    while (begin < text.size()) {
        char32_t cp = 0;
        const std::size_t n = decode_one(text, begin, cp);
        if (n == 0 || !is_unicode_whitespace(cp)) {
            break;
        }
        begin += n;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // Step back to the lead byte of the last code point (at most four bytes).
        std::size_t start = end - 1;
        while (start > begin && end - start < 4 &&
               (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
            --start;
        }
        char32_t cp = 0;
        const std::size_t n = decode_one(text, start, cp);
        if (n != end - start || !is_unicode_whitespace(cp)) {
            break;
        }
        end = start;
    }
    return text.substr(begin, end - begin);
}

}  // namespace qx
