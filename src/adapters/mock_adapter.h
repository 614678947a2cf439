// The built-in in-memory adapter, for tests, demos and replay harnesses. Nothing in the library
// feeds it, so its polls yield nothing unless a test queues events with queue_event.
#pragma once

#include <vector>

#include "adapters/market_data_adapter.h"

namespace qx {

class MockAdapter final : public MarketDataAdapter {
  public:
    MockAdapter() = default;

    // Always succeeds, also when already connected.
    Expected<void, AdapterError> connect() override;
    // Appends the request (a repeated symbol is appended again); disconnected before connect.
    Expected<void, AdapterError> subscribe(const SubscribeReq& req) override;
    // Removes every subscription of the symbol (none is not an error); disconnected before
    // connect.
    Expected<void, AdapterError> unsubscribe(const SymbolId& symbol) override;
    // Moves all pending events to `out` in order; disconnected before connect.
    Expected<std::size_t, AdapterError> poll(std::vector<RawEvent>& out) override;
    MarketDataAdapterHealth health() const override;
    AdapterOperationalStatus operational_status() const override;

    // Test hook: queues an event for the next poll, connected or not. Internal to the library
    // (C++ classes are not exported); no library code calls it.
    void queue_event(RawEvent event) { pending_.push_back(std::move(event)); }

    bool connected() const noexcept { return connected_; }
    const std::vector<SubscribeReq>& subscriptions() const noexcept { return subscriptions_; }
    std::size_t pending_count() const noexcept { return pending_.size(); }

  private:
    std::vector<SubscribeReq> subscriptions_;
    std::vector<RawEvent> pending_;
    bool connected_ = false;
};

}  // namespace qx
