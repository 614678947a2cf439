// Number printing for the library's JSON documents.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

// Shortest decimal text that reads back as the same double, never in exponent form and without
// a fractional part for integral values (100.0 -> "100", 1e21 -> "1000000000000000000000",
// 1e-7 -> "0.0000001"). Non-finite values print as "NaN", "inf" and "-inf".
void append_f64_shortest(std::string& out, double value);
std::string format_f64_shortest(double value);

// Exactly `decimals` digits after the point, correctly rounded; non-finite as above.
void append_f64_fixed(std::string& out, double value, int decimals);
std::string format_f64_fixed(double value, int decimals);

void append_i64(std::string& out, std::int64_t value);
void append_u64(std::string& out, std::uint64_t value);

}  // namespace qx
