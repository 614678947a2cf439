// One recorded market event, owned, ready to be pushed through the C interface.
#pragma once

#include <cstdint>
#include <string>

#include "qx/qx.h"

namespace replay {

struct ReplayEvent {
    // Index into the instrument table of the input; venue and symbol live there.
    std::uint32_t instrument = 0;
    bool is_trade = false;
    std::int64_t price = 0;
    std::int64_t size = 0;
    std::uint32_t side = 0;  // aggressor for a trade, book side for an update
    std::uint16_t level = 0;
    std::uint32_t action = 0;
    std::uint64_t sequence = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
};

struct Instrument {
    std::string venue;
    std::string symbol;
    std::uint64_t trades = 0;
    std::uint64_t book_updates = 0;
};

}  // namespace replay
