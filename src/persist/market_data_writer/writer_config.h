// Configuration of the bounded background writer of the market-data write-ahead log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qx::persist {

inline constexpr std::string_view kDefaultMarketDataWalThreadName = "quorix-market-data-wal";

struct BoundedMarketDataWriterConfig {
    // Name of the worker thread as the library reports it. The operating system keeps at most
    // 15 bytes of a thread name, so the worker's system name is this text cut to fit.
    std::string thread_name = std::string(kDefaultMarketDataWalThreadName);
    std::size_t queue_capacity = 4096;                 // commands the channel holds
    std::uint64_t queued_payload_capacity = 67108864;  // bytes of queued payloads (64 MiB)
};

}  // namespace qx::persist
