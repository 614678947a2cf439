// The wall clock.
#pragma once

#include <cstdint>

namespace qx {

// Nanoseconds since the Unix epoch; 0 when the clock reads before the epoch.
std::uint64_t unix_ts_nanos() noexcept;

}  // namespace qx
