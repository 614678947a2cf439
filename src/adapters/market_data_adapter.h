// The interface through which an engine pulls market data. The engine owns its adapter and
// calls it from the engine's thread only.
#pragma once

#include <cstddef>
#include <vector>

#include "adapters/adapter_error.h"
#include "adapters/adapter_types.h"
#include "adapters/operational_status.h"
#include "adapters/raw_event.h"
#include "core/market_data.h"
#include "support/expected.h"

namespace qx {

class MarketDataAdapter {
  public:
    virtual ~MarketDataAdapter() = default;

    virtual Expected<void, AdapterError> connect() = 0;
    virtual Expected<void, AdapterError> subscribe(const SubscribeReq& req) = 0;
    virtual Expected<void, AdapterError> unsubscribe(const SymbolId& symbol) = 0;
    // Appends the events that arrived since the last poll to `out`, in arrival order, and
    // returns how many it appended.
    virtual Expected<std::size_t, AdapterError> poll(std::vector<RawEvent>& out) = 0;
    virtual MarketDataAdapterHealth health() const = 0;
    virtual AdapterOperationalStatus operational_status() const = 0;
};

}  // namespace qx
