#include "execution_algos/twap_algo.h"

namespace qx::exec {

Expected<TwapAlgo, AlgoError> TwapAlgo::create(const ParentOrder& parent,
                                               TwapSlicePlanner planner) {
    auto created = ParentOrder::create(parent);
    if (!created) {
        return Unexpected(created.error());
    }
    if (planner.slice_interval_ns == 0) {
        return Unexpected(AlgoError::InvalidSchedule);
    }
    return TwapAlgo(*created, planner);
}

Expected<std::optional<ChildOrderPlan>, TwapRefusal> TwapAlgo::plan(
    std::uint64_t now_ns, const SliceId& slice_id, const ClientOrderId& client_order_id,
    std::uint64_t ts_ns) {
    if (pending_) {
        if (pending_->slice_id == slice_id &&
            pending_->request.client_order_id == client_order_id) {
            return pending_;
        }
        return Unexpected(TwapRefusal{TwapRefusal::Kind::OtherPlanPending, {}});
    }
    auto planned =
        planner_.plan_due_slice(parent_, progress_, now_ns, slice_id, client_order_id, ts_ns);
    if (!planned) {
        return Unexpected(TwapRefusal{TwapRefusal::Kind::Algo, planned.error()});
    }
    pending_ = *planned;
    return pending_;
}

Expected<void, TwapRefusal> TwapAlgo::commit_pending() {
    if (!pending_) {
        return Unexpected(TwapRefusal{TwapRefusal::Kind::NothingPending, {}});
    }
    if (auto released = progress_.on_child_released(*pending_); !released) {
        return Unexpected(TwapRefusal{TwapRefusal::Kind::Algo, released.error()});
    }
    pending_.reset();
    return {};
}

Expected<void, TwapRefusal> TwapAlgo::discard_pending() {
    if (!pending_) {
        return Unexpected(TwapRefusal{TwapRefusal::Kind::NothingPending, {}});
    }
    pending_.reset();
    return {};
}

void TwapAlgo::record_execution(std::int64_t last_qty, std::int64_t leaves_qty,
                                OrderStatus status) {
    ExecutionEvent event;
    event.kind = ExecutionType::Restatement;
    event.status = status;
    event.last_qty = last_qty;
    event.leaves_qty = leaves_qty;
    progress_.on_execution_event(event);
}

}  // namespace qx::exec
