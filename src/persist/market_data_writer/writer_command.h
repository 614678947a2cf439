// The messages the background writer's channel carries, in order.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "persist/market_data_writer/rendezvous.h"
#include "persist/market_data_writer/writer_errors.h"
#include "persist/normalized_codec/normalized_record.h"
#include "support/expected.h"

namespace qx::persist {

using WriterControlResult = Expected<void, MarketDataWriterControlError>;

// A payload already encoded by its producer.
struct AppendCommand {
    std::vector<std::uint8_t> payload;
    std::uint16_t kind = 0;
    std::uint64_t source_sequence_1 = 0;
    std::uint64_t source_sequence_2 = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
};

// One record to encode, with the payload bytes reserved for it in the byte budget.
struct NormalizedCommand {
    NormalizedMarketDataRecord record;
    std::uint64_t reserved_bytes = 0;
};

struct FlushCommand {
    RendezvousSender<WriterControlResult> reply;
};

struct ShutdownCommand {
    RendezvousSender<WriterControlResult> reply;
};

using WriterCommand = std::variant<AppendCommand, NormalizedCommand, FlushCommand, ShutdownCommand>;

}  // namespace qx::persist
