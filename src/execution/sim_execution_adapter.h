// The simulated venue: acknowledges every new order and fills it at once at its limit price;
// answers an amend with Replaced and a cancel with Canceled.
#pragma once

#include <cstddef>
#include <cstdint>

#include "execution/execution_adapter.h"

namespace qx::exec {

class SimExecutionAdapter final : public ExecutionAdapter {
  public:
    static constexpr std::size_t kPendingLimit = 1024;

    SimExecutionAdapter() : pending_(kPendingLimit) {}

    // Sets connected and adds 1 to connect_count (saturating).
    Expected<void, ExecutionError> connect() override;

    // New (venue order id "SIM-<n>") then Trade (execution id "SIMX-<n>", ts_ns + 1). The
    // numbers are taken even when the buffer then turns out to be full.
    Expected<void, ExecutionError> submit(const OrderRequest& order,
                                          ExecutionEventBuffer& events) override;
    // One Replaced event; no PendingReplace is sent first.
    Expected<void, ExecutionError> amend(const AmendRequest& request,
                                         ExecutionEventBuffer& events) override;
    // One Canceled event with every quantity and price 0.
    Expected<void, ExecutionError> cancel(const CancelRequest& request,
                                          ExecutionEventBuffer& events) override;
    // Moves every pending event, in order; when `events` fills up the rest are lost.
    Expected<std::size_t, ExecutionError> poll(ExecutionEventBuffer& events) override;

    // Name "simulated", never degraded, no last error.
    AdapterHealth health() const override;

    // Hooks for hosts and tests that embed the engine in C++. No exported function calls
    // them: through the C interface the pending queue stays empty and fills are whole.
    void set_partial_fills(bool on) noexcept { partial_fills_ = on; }
    Expected<void, ExecutionError> enqueue_pending(const ExecutionEvent& event) {
        return pending_.push(event);
    }

    bool connected() const noexcept { return connected_; }
    std::uint64_t connect_count() const noexcept { return connect_count_; }

  private:
    ExecutionEventBuffer pending_;
    std::uint64_t connect_count_ = 0;
    std::uint64_t next_venue_order_ = 1;
    std::uint64_t next_execution_ = 1;
    bool connected_ = false;
    bool partial_fills_ = false;
};

}  // namespace qx::exec
