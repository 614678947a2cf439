// The interface of the engine's journal: every accepted command and every applied event is
// recorded in order.
#pragma once

#include <cstdint>

#include "execution/execution_error.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

enum class JournalCommandKind : std::uint8_t { Submit, Cancel, Amend };

class ExecutionJournal {
  public:
    virtual ~ExecutionJournal() = default;
    virtual Expected<void, ExecutionError> record_command(JournalCommandKind kind,
                                                          const ClientOrderId& client_order_id,
                                                          std::uint64_t ts_ns) = 0;
    virtual Expected<void, ExecutionError> record_event(const ExecutionEvent& event) = 0;
};

}  // namespace qx::exec
