// A journal that keeps every record in order in memory; appending never fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "execution/execution_journal.h"

namespace qx::exec {

struct JournalCommand {
    JournalCommandKind kind = JournalCommandKind::Submit;
    ClientOrderId client_order_id;
    std::uint64_t ts_ns = 0;

    friend bool operator==(const JournalCommand&, const JournalCommand&) = default;
};

// A command or a whole event.
using JournalRecord = std::variant<JournalCommand, ExecutionEvent>;

class InMemoryJournal final : public ExecutionJournal {
  public:
    Expected<void, ExecutionError> record_command(JournalCommandKind kind,
                                                  const ClientOrderId& client_order_id,
                                                  std::uint64_t ts_ns) override {
        append(JournalCommand{kind, client_order_id, ts_ns});
        return {};
    }

    Expected<void, ExecutionError> record_event(const ExecutionEvent& event) override {
        append(event);
        return {};
    }

    std::size_t size() const noexcept { return size_; }
    // The i-th record in append order (i < size()).
    const JournalRecord& operator[](std::size_t i) const noexcept {
        return blocks_[i / kBlockRecords][i % kBlockRecords];
    }

  private:
    // Records live in fixed blocks, so a long journal never copies what it already holds
    // when it grows.
    static constexpr std::size_t kBlockRecords = 256;

    void append(const JournalRecord& record) {
        if (blocks_.empty() || blocks_.back().size() == kBlockRecords) {
            blocks_.emplace_back().reserve(kBlockRecords);
        }
        blocks_.back().push_back(record);
        ++size_;
    }

    std::vector<std::vector<JournalRecord>> blocks_;
    std::size_t size_ = 0;
};

}  // namespace qx::exec
