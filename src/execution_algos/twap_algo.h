// One TWAP algorithm working one parent order: its progress, at most one pending child plan,
// the planner and the parent. The host asks for a plan, sends the child itself, then commits
// the plan (or discards it if the child was not sent) and reports the child's executions.
// While a plan is pending the only plan that can be fetched is that same plan.
#pragma once

#include <cstdint>
#include <optional>

#include "execution_algos/algo_error.h"
#include "execution_algos/algo_progress.h"
#include "execution_algos/child_order_plan.h"
#include "execution_algos/parent_order.h"
#include "execution_algos/twap_slice_planner.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

// Why a call on a TWAP algorithm was refused.
struct TwapRefusal {
    enum class Kind : std::uint8_t {
        Algo,              // the planner or the progress refused: see `error`
        OtherPlanPending,  // plan: a plan with other identifiers awaits commit or discard
        NothingPending,    // commit, discard: no plan is pending
    };
    Kind kind = Kind::Algo;
    AlgoError error = AlgoError::ProgressMismatch;  // Algo only

    friend bool operator==(const TwapRefusal&, const TwapRefusal&) = default;
};

class TwapAlgo {
  public:
    // Validates the parent (ParentOrder::create), then the interval (0 is InvalidSchedule).
    static Expected<TwapAlgo, AlgoError> create(const ParentOrder& parent,
                                                TwapSlicePlanner planner);

    // With a plan pending: that plan when both identifiers match it (now_ns and ts_ns are then
    // ignored), else OtherPlanPending. Otherwise the planner's answer; a plan becomes pending.
    Expected<std::optional<ChildOrderPlan>, TwapRefusal> plan(std::uint64_t now_ns,
                                                              const SliceId& slice_id,
                                                              const ClientOrderId& client_order_id,
                                                              std::uint64_t ts_ns);

    // Counts the pending plan as released and drops it. NothingPending; Algo(ProgressMismatch)
    // keeps the plan pending.
    Expected<void, TwapRefusal> commit_pending();
    // Drops the pending plan without touching the progress; NothingPending when none.
    Expected<void, TwapRefusal> discard_pending();

    // One execution of a child, reported for the algorithm as a whole.
    void record_execution(std::int64_t last_qty, std::int64_t leaves_qty, OrderStatus status);

    const AlgoProgress& progress() const noexcept { return progress_; }
    const std::optional<ChildOrderPlan>& pending() const noexcept { return pending_; }
    const ParentOrder& parent() const noexcept { return parent_; }
    const TwapSlicePlanner& planner() const noexcept { return planner_; }

  private:
    TwapAlgo(const ParentOrder& parent, TwapSlicePlanner planner)
        : progress_(AlgoProgress::for_parent(parent)), planner_(planner), parent_(parent) {}

    AlgoProgress progress_;
    std::optional<ChildOrderPlan> pending_;
    TwapSlicePlanner planner_;
    ParentOrder parent_;
};

}  // namespace qx::exec
