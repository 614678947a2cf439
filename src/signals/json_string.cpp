#include "signals/json_string.h"

namespace qx {
namespace {

void push_unicode_escape(std::string& out, unsigned code) {
    static constexpr char kHex[] = "0123456789abcdef";
    const char esc[6] = {'\\', 'u', '0', '0', kHex[(code >> 4) & 0xF], kHex[code & 0xF]};
    out.append(esc, sizeof esc);
}

}  // namespace

void push_json_string(std::string& out, std::string_view text) {
    out += '"';
    std::size_t run = 0;  // start of the pending unescaped run
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // U+0080..U+009F are the two bytes C2 80..C2 9F in UTF-8.
        const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c >= 0x20 && c != '"' && c != '\\' && c != 0x7F && !c1) {
            continue;
        }
        out.append(text.data() + run, i - run);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c1) {
                    ++i;
                    push_unicode_escape(out, static_cast<unsigned char>(text[i]));
                } else {
                    push_unicode_escape(out, c);
                }
                break;
        }
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
    out += '"';
}

}  // namespace qx
