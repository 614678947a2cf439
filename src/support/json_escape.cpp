#include "support/json_escape.h"

namespace qx {

void append_escaped_json(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::size_t run_start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') {
            continue;
        }
        out.append(text.data() + run_start, i - run_start);
        run_start = i + 1;
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default: {
                const char esc[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
                out.append(esc, sizeof esc);
                break;
            }
        }
    }
    out.append(text.data() + run_start, text.size() - run_start);
}

std::string escape_json(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    append_escaped_json(out, text);
    return out;
}

}  // namespace qx
