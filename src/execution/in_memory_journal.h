// A journal that keeps every record in order in memory; appending never fails.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "execution/execution_journal.h"

namespace qx::exec {

struct JournalCommand {
    JournalCommandKind kind = JournalCommandKind::Submit;
    ClientOrderId client_order_id;
    std::uint64_t ts_ns = 0;
};

// A command or a whole event.
using JournalRecord = std::variant<JournalCommand, ExecutionEvent>;

class InMemoryJournal final : public ExecutionJournal {
  public:
    Expected<void, ExecutionError> record_command(JournalCommandKind kind,
                                                  const ClientOrderId& client_order_id,
                                                  std::uint64_t ts_ns) override {
        records_.emplace_back(JournalCommand{kind, client_order_id, ts_ns});
        return {};
    }

    Expected<void, ExecutionError> record_event(const ExecutionEvent& event) override {
        records_.emplace_back(event);
        return {};
    }

    const std::vector<JournalRecord>& records() const noexcept { return records_; }

  private:
    std::vector<JournalRecord> records_;
};

}  // namespace qx::exec
