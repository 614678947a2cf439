// TWAP algorithm entry points: create, destroy, plan, commit, discard, progress and the
// report of a child's execution.
#include <cstdint>
#include <cstring>
#include <optional>

#include "execution_algos/twap_algo.h"
#include "ffi/support/execution_identifiers.h"
#include "ffi/support/guard.h"
#include "qx/qx.h"

struct qx_twap_algo {
    explicit qx_twap_algo(qx::exec::TwapAlgo a) : algo(std::move(a)) {}
    qx::exec::TwapAlgo algo;
};

namespace qx::ffi {
namespace {

// Text fields in record order, then side, order type and time in force; nullopt when any is
// invalid. Numbers are taken as given; the parent's own rules are checked on creation.
std::optional<exec::ParentOrder> parent_order_from_ffi(const qx_twap_parent_order_t& record) {
    exec::ParentOrder parent;
    auto id = required_identifier<40>(record.parent_order_id);
    if (!id) {
        return std::nullopt;
    }
    parent.parent_order_id = *id;
    auto account = required_identifier<32>(record.account);
    if (!account) {
        return std::nullopt;
    }
    parent.account = *account;
    auto route = required_identifier<32>(record.route);
    if (!route) {
        return std::nullopt;
    }
    parent.route = *route;
    parent.tag = optional_identifier<32>(record.tag);
    auto venue = required_identifier<16>(record.venue);
    if (!venue) {
        return std::nullopt;
    }
    auto symbol = required_identifier<32>(record.symbol);
    if (!symbol) {
        return std::nullopt;
    }
    parent.symbol = {*venue, *symbol};

    const auto side = exec::order_side_from_code(record.side);
    const auto type = exec::order_type_from_code(record.order_type);
    const auto tif = exec::time_in_force_from_code(record.time_in_force);
    if (!side || !type || !tif) {
        return std::nullopt;
    }
    parent.side = *side;
    parent.order_type = *type;
    parent.time_in_force = *tif;
    parent.quantity = record.quantity;
    parent.limit_price = record.limit_price;
    parent.stop_price = record.stop_price;
    parent.start_ns = record.start_ns;
    parent.end_ns = record.end_ns;
    parent.min_child_qty = record.min_child_qty;
    parent.max_child_qty = record.max_child_qty;
    return parent;
}

// The plan as its C record; no plan gives the all-zero record.
void child_plan_to_ffi(const std::optional<exec::ChildOrderPlan>& plan,
                       qx_twap_child_plan_t& out) noexcept {
    std::memset(&out, 0, sizeof out);
    if (!plan) {
        return;
    }
    const exec::OrderRequest& r = plan->request;
    copy_identifier(plan->slice_id, out.slice_id);
    copy_identifier(plan->parent_order_id, out.parent_order_id);
    copy_identifier(r.client_order_id, out.client_order_id);
    copy_identifier(r.account, out.account);
    copy_identifier(r.route, out.route);
    copy_identifier(r.tag, out.tag);
    copy_identifier(r.symbol.venue, out.venue);
    copy_identifier(r.symbol.symbol, out.symbol);
    out.side = exec::to_code(r.side);
    out.order_type = exec::to_code(r.order_type);
    out.time_in_force = exec::to_code(r.time_in_force);
    out.quantity = r.quantity;
    out.limit_price = r.limit_price;
    out.stop_price = r.stop_price;
    out.planned_at_ns = plan->planned_at_ns;
    out.ts_ns = r.ts_ns;
    out.has_plan = 1;
}

}  // namespace
}  // namespace qx::ffi

extern "C" {

QX_API qx_status_t qx_execution_twap_algo_create(const qx_twap_parent_order_t* request,
                                                 qx_twap_algo_t** out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (request == nullptr || out == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        *out = nullptr;
        const auto parent = qx::ffi::parent_order_from_ffi(*request);
        if (!parent) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto algo = qx::exec::TwapAlgo::create(
            *parent, qx::exec::TwapSlicePlanner{request->slice_interval_ns});
        if (!algo) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        *out = new qx_twap_algo(std::move(*algo));
        return QX_STATUS_OK;
    });
}

QX_API void qx_execution_twap_algo_destroy(qx_twap_algo_t* algo) {
    qx::ffi::guarded_void([&] { delete algo; });
}

QX_API qx_status_t qx_execution_twap_algo_plan(qx_twap_algo_t* algo, uint64_t now_ns,
                                               const char* slice_id, const char* client_order_id,
                                               uint64_t ts_ns, qx_twap_child_plan_t* out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (algo == nullptr || out == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto slice = qx::ffi::required_identifier<40>(slice_id);
        if (!slice) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto client = qx::ffi::required_identifier<40>(client_order_id);
        if (!client) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto planned = algo->algo.plan(now_ns, *slice, *client, ts_ns);
        if (!planned) {
            return planned.error().kind == qx::exec::TwapRefusal::Kind::OtherPlanPending
                       ? QX_STATUS_REFUSED
                       : QX_STATUS_INVALID_ARGUMENT;
        }
        qx::ffi::child_plan_to_ffi(*planned, *out);
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_execution_twap_algo_commit_pending(qx_twap_algo_t* algo) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (algo == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return algo->algo.commit_pending() ? QX_STATUS_OK : QX_STATUS_REFUSED;
    });
}

QX_API qx_status_t qx_execution_twap_algo_discard_pending(qx_twap_algo_t* algo) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (algo == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return algo->algo.discard_pending() ? QX_STATUS_OK : QX_STATUS_REFUSED;
    });
}

QX_API qx_status_t qx_execution_twap_algo_progress(const qx_twap_algo_t* algo,
                                                   qx_twap_progress_t* out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (algo == nullptr || out == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const qx::exec::AlgoProgress& p = algo->algo.progress();
        out->total_qty = p.total_qty;
        out->released_qty = p.released_qty;
        out->filled_qty = p.filled_qty;
        out->outstanding_qty = p.outstanding_qty;
        out->rejected_children = p.rejected_children;
        out->terminal_children = p.terminal_children;
        out->has_pending = algo->algo.pending() ? 1 : 0;
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_execution_twap_algo_record_execution(qx_twap_algo_t* algo, int64_t last_qty,
                                                           int64_t leaves_qty, uint32_t status) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (algo == nullptr || last_qty < 0) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto order_status = qx::exec::order_status_from_code(status);
        if (!order_status) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        algo->algo.record_execution(last_qty, leaves_qty, *order_status);
        return QX_STATUS_OK;
    });
}

}  // extern "C"
