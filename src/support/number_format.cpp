#include "support/number_format.h"

#include <array>
#include <charconv>
#include <cmath>

namespace qx {
namespace {

bool append_non_finite(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
        return true;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return true;
    }
    return false;
}

}  // namespace

void append_f64_shortest(std::string& out, double value) {
    if (append_non_finite(out, value)) {
        return;
    }
    // Fixed notation without a precision gives the shortest round-trip digits; the largest
    // double needs 309 integer digits and the smallest subnormal some 1075 fractional digits.
    std::array<char, 1100> buf;
    const auto res =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed);
    out.append(buf.data(), res.ptr);
}

std::string format_f64_shortest(double value) {
    std::string out;
    append_f64_shortest(out, value);
    return out;
}

void append_f64_fixed(std::string& out, double value, int decimals) {
    if (append_non_finite(out, value)) {
        return;
    }
    if (decimals < 0) {
        decimals = 0;
    }
    std::array<char, 1400> buf;
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::fixed, decimals);
    if (res.ec == std::errc{}) {
        out.append(buf.data(), res.ptr);
    } else {
        append_f64_shortest(out, value);
    }
}

std::string format_f64_fixed(double value, int decimals) {
    std::string out;
    append_f64_fixed(out, value, decimals);
    return out;
}

void append_i64(std::string& out, std::int64_t value) {
    std::array<char, 24> buf;
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), res.ptr);
}

void append_u64(std::string& out, std::uint64_t value) {
    std::array<char, 24> buf;
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), res.ptr);
}

}  // namespace qx
