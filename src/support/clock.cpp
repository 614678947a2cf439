#include "support/clock.h"

#include <chrono>

namespace qx {

std::uint64_t unix_ts_nanos() noexcept {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
    return ns > 0 ? static_cast<std::uint64_t>(ns) : 0;
}

}  // namespace qx
