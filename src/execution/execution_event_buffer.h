// A growable list of execution events with a fixed limit set at creation.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "execution/execution_error.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

class ExecutionEventBuffer {
  public:
    // Room for min(limit, kMaxReserved) events is reserved at once, so buffers of the usual
    // limits (32, 64, 1024) never allocate again; a larger limit grows on demand.
    static constexpr std::size_t kMaxReserved = 1024;

    explicit ExecutionEventBuffer(std::size_t limit) : limit_(limit) {
        events_.reserve(limit < kMaxReserved ? limit : kMaxReserved);
    }

    // Appends when fewer than limit() events are held; otherwise EventBufferFull and the
    // buffer is unchanged.
    Expected<void, ExecutionError> push(const ExecutionEvent& event) {
        if (events_.size() >= limit_) {
            return Unexpected(ExecutionError::event_buffer_full());
        }
        events_.push_back(event);
        return {};
    }

    bool full() const noexcept { return events_.size() >= limit_; }
    void clear() noexcept { events_.clear(); }
    std::size_t size() const noexcept { return events_.size(); }
    bool empty() const noexcept { return events_.empty(); }
    std::size_t limit() const noexcept { return limit_; }
    std::span<const ExecutionEvent> events() const noexcept { return events_; }
    const ExecutionEvent& operator[](std::size_t i) const noexcept { return events_[i]; }

  private:
    std::size_t limit_;
    std::vector<ExecutionEvent> events_;
};

}  // namespace qx::exec
