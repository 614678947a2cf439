// The engine's write-ahead-log persistence of market data: a producer of the background
// writer (which the persistence owns when the engine configured it), and the failure policy
// that decides what a refused event means for the engine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "adapters/raw_event.h"
#include "persist/market_data_writer/producer.h"
#include "persist/market_data_writer/writer.h"
#include "runtime/engine/runtime_error.h"

namespace qx {

enum class MarketDataFailureAction : std::uint8_t {
    MarkDegraded = 0,    // health reports degraded; processing goes on
    StopMarketData = 1,  // the event fails and every later event is refused
    StopTrading = 2,     // processing goes on; reported as blocking trading
    FailProcess = 3,     // as StopMarketData, worded as a fail-closed policy
    MemoryOnly = 4,      // switch to memory-only operation: stop persisting
};

// "mark_degraded", "stop_market_data", "stop_trading", "fail_process" or "memory_only".
std::string_view failure_action_name(MarketDataFailureAction action) noexcept;

struct MarketDataPersistenceHealth {
    std::optional<std::string> last_error;
    std::uint64_t records_lag = 0;
    std::uint64_t event_time_lag_ns = 0;
    std::uint64_t queued_payload_bytes = 0;
    std::uint64_t lost_records = 0;  // rejected + abandoned, saturating
    std::uint64_t write_failures = 0;
    std::uint64_t sync_failures = 0;
    std::uint32_t queue_depth = 0;  // clamped
    bool enabled = false;
    bool degraded = false;
};

class RuntimeMarketDataPersistence {
  public:
    RuntimeMarketDataPersistence(persist::MarketDataWalProducer producer,
                                 std::optional<persist::BoundedMarketDataWalWriter> writer,
                                 MarketDataFailureAction action);
    // A persistence that still owns its writer shuts it down (ignoring the outcome), so the
    // worker thread is joined before the engine goes away.
    ~RuntimeMarketDataPersistence();
    RuntimeMarketDataPersistence(const RuntimeMarketDataPersistence&) = delete;
    RuntimeMarketDataPersistence& operator=(const RuntimeMarketDataPersistence&) = delete;

    // Queues the event for the writer without blocking; a refusal is counted and handled by the
    // failure action (two actions return an I/O error).
    RuntimeResult<> persist_event(const RawEvent& event, std::uint32_t quality_flags);

    // Any sign of trouble: a refusal, memory-only, the writer degraded or stopped, or records
    // abandoned. It never clears.
    bool trouble() const;
    bool blocks_market_data() const;
    bool blocks_trading() const;

    MarketDataPersistenceHealth health() const;
    std::string to_json() const;

    bool has_writer() const noexcept { return writer_.has_value(); }
    persist::WriterControlResult flush();
    // Shuts the owned writer down; afterwards the persistence has no writer.
    persist::WriterShutdownResult shutdown_writer();

    MarketDataFailureAction action() const noexcept { return action_; }
    bool memory_only() const noexcept { return memory_only_; }
    std::uint64_t rejected_records() const noexcept { return rejected_records_; }

  private:
    persist::MarketDataWalProducer producer_;
    std::optional<persist::BoundedMarketDataWalWriter> writer_;
    std::optional<std::string> last_error_;
    std::uint64_t rejected_records_ = 0;
    bool memory_only_ = false;
    MarketDataFailureAction action_;
};

// The persistence document: the fixed disabled form without persistence.
std::string format_runtime_market_data_persistence_json(
    const RuntimeMarketDataPersistence* persistence);

}  // namespace qx
