// The interface of an execution venue adapter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "execution/execution_error.h"
#include "execution/execution_event_buffer.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

struct AdapterHealth {
    std::string name;
    bool connected = false;
    bool degraded = false;
    std::uint64_t connect_count = 0;
    std::optional<std::string> last_error;
};

class ExecutionAdapter {
  public:
    virtual ~ExecutionAdapter() = default;

    // Connects to the venue; called by the engine's start, possibly more than once.
    virtual Expected<void, ExecutionError> connect() = 0;

    // Each hands one request to the venue and appends the venue's immediate events to
    // `events`. Events appended before a failure stay appended.
    virtual Expected<void, ExecutionError> submit(const OrderRequest& order,
                                                  ExecutionEventBuffer& events) = 0;
    virtual Expected<void, ExecutionError> amend(const AmendRequest& request,
                                                 ExecutionEventBuffer& events) = 0;
    virtual Expected<void, ExecutionError> cancel(const CancelRequest& request,
                                                  ExecutionEventBuffer& events) = 0;

    // Moves the events the venue produced on its own into `events`; returns their number.
    virtual Expected<std::size_t, ExecutionError> poll(ExecutionEventBuffer& events) = 0;

    virtual AdapterHealth health() const = 0;
};

}  // namespace qx::exec
