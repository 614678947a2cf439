#include "execution/execution_engine.h"

#include <utility>

#include "execution/in_memory_journal.h"
#include "execution/sim_execution_adapter.h"
#include "execution_core/order_validation.h"
#include "support/saturating.h"

namespace qx::exec {
namespace {

void count(std::uint64_t& counter) noexcept {
    counter = sat_add(counter, std::uint64_t{1});
}

}  // namespace

ExecutionEngine::ExecutionEngine(std::unique_ptr<ExecutionAdapter> adapter,
                                 std::unique_ptr<RiskGate> gate,
                                 std::unique_ptr<ExecutionJournal> journal,
                                 std::vector<RouteConfig> routes)
    : adapter_(std::move(adapter)),
      gate_(std::move(gate)),
      journal_(std::move(journal)),
      routes_(std::move(routes)) {
    route_index_.reserve(routes_.size());
    for (std::size_t i = 0; i < routes_.size(); ++i) {
        route_index_.insert_or_assign(route_key(routes_[i]), i);  // the last duplicate wins
    }
}

ExecutionEngine ExecutionEngine::simulated_engine_with_routes(std::vector<RouteConfig> routes) {
    return ExecutionEngine(std::make_unique<SimExecutionAdapter>(),
                           std::make_unique<AllowAllRiskGate>(),
                           std::make_unique<InMemoryJournal>(), std::move(routes));
}

Expected<void, ExecutionError> ExecutionEngine::start() {
    if (auto connected = adapter_->connect(); !connected) {
        return connected;
    }
    started_ = true;
    return {};
}

const RouteConfig* ExecutionEngine::find_route(const AccountId& account, const RouteId& route,
                                               const ExecutionSymbol& symbol) const {
    const auto it = route_index_.find(RouteKey{route, account, symbol});
    if (it == route_index_.end() || it->second >= routes_.size()) {
        return nullptr;
    }
    const RouteConfig& found = routes_[it->second];
    return found.enabled ? &found : nullptr;
}

RiskContext ExecutionEngine::risk_context(const RouteConfig& route,
                                          const ClientOrderId& client_order_id) const {
    const OpenExposure exposure = ledger_.open_exposure(route_key(route));
    RiskContext context;
    context.open_orders = exposure.open_orders;
    context.open_notional = exposure.open_notional;
    // An identifier can never be reused once accepted, terminal orders included.
    context.duplicate_client_order_id = ledger_.contains(client_order_id);
    context.reference_price = 0;
    context.account_enabled = route.enabled;
    context.route_enabled = route.enabled;
    context.symbol_enabled = route.enabled;
    context.order_type_supported = true;
    context.time_in_force_supported = true;
    return context;
}

Expected<void, ExecutionError> ExecutionEngine::reject_locally(const OrderRequest& order,
                                                               const RiskDecision& decision,
                                                               ExecutionEventBuffer& out) {
    ExecutionEvent e;
    e.kind = ExecutionType::Rejected;
    e.status = OrderStatus::Rejected;
    e.client_order_id = order.client_order_id;
    e.account = order.account;
    e.route = order.route;
    e.symbol = order.symbol;
    e.leaves_qty = order.quantity;
    e.origin_ts_ns = order.origin_ts_ns;
    e.ts_ns = order.ts_ns;
    e.reject_reason = decision.reason;
    e.text = decision.message;
    if (auto journaled = journal_->record_event(e); !journaled) {
        return journaled;
    }
    if (auto pushed = out.push(e); !pushed) {
        return pushed;
    }
    return Unexpected(ExecutionError::risk_rejected(decision.reason));
}

Expected<void, ExecutionError> ExecutionEngine::submit(const OrderRequest& order,
                                                       ExecutionEventBuffer& out) {
    if (!started_) {
        return Unexpected(ExecutionError::adapter_disconnected());
    }
    if (auto valid = validate_order_request(order); !valid) {
        return Unexpected(ExecutionError::core_error(valid.error()));
    }
    const RouteConfig* route = find_route(order.account, order.route, order.symbol);
    if (route == nullptr) {
        return Unexpected(ExecutionError::route_not_found());
    }
    if (controls_.blocks(route_key(*route))) {
        count(metrics_.risk_rejects);
        return reject_locally(
            order,
            RiskDecision::reject(RiskRejectReason::KillSwitch,
                                 EventText::literal("operator submission control active")),
            out);
    }
    const RiskContext context = risk_context(*route, order.client_order_id);
    RiskDecision decision = check_route_new(order, *route, context);
    if (decision.accepted) {
        decision = gate_->check_new(order, *route, context);
    }
    if (!decision.accepted) {
        count(metrics_.risk_rejects);
        return reject_locally(order, decision, out);
    }

    if (auto journaled = journal_->record_command(JournalCommandKind::Submit, order.client_order_id,
                                                  order.ts_ns);
        !journaled) {
        return journaled;
    }
    ledger_.insert_new(new_order_state(order), order.tag,
                       order.limit_price > 0 ? order.limit_price : order.stop_price);

    scratch_.clear();
    if (auto sent = adapter_->submit(order, scratch_); !sent) {
        return sent;  // the order stays recorded as PendingNew
    }
    count(metrics_.orders_submitted);
    if (auto applied = apply_scratch(out); !applied) {
        return Unexpected(std::move(applied).error());
    }
    return {};
}

Expected<void, ExecutionError> ExecutionEngine::amend(const AmendRequest& request,
                                                      ExecutionEventBuffer& out) {
    if (!started_) {
        return Unexpected(ExecutionError::adapter_disconnected());
    }
    if (request.new_quantity < 1) {
        return Unexpected(ExecutionError::core_error(ExecutionCoreError::quantity_not_positive()));
    }
    if (!ledger_.contains(request.orig_client_order_id)) {
        return Unexpected(ExecutionError::route_not_found());
    }
    const RouteConfig* route = find_route(request.account, request.route, request.symbol);
    if (route == nullptr) {
        return Unexpected(ExecutionError::route_not_found());
    }
    // The new identifier is checked for duplicates, so an amend that keeps the old identifier
    // is refused; the amended order itself still counts towards the open limits.
    const RiskContext context = risk_context(*route, request.client_order_id);
    RiskDecision decision = check_route_common(route->kill_switch, route->max_open_orders, context);
    if (decision.accepted) {
        decision = check_route_size_price(*route, request.new_quantity, request.new_price, context);
    }
    if (decision.accepted) {
        decision = gate_->check_amend(request, *route, context);
    }
    if (!decision.accepted) {
        count(metrics_.risk_rejects);
        return Unexpected(ExecutionError::risk_rejected(decision.reason));
    }

    if (auto journaled = journal_->record_command(JournalCommandKind::Amend,
                                                  request.client_order_id, request.ts_ns);
        !journaled) {
        return journaled;
    }
    ledger_.note_amended_price(request.client_order_id, request.new_price);

    scratch_.clear();
    if (auto sent = adapter_->amend(request, scratch_); !sent) {
        return sent;
    }
    count(metrics_.amends_sent);
    if (auto applied = apply_scratch(out); !applied) {
        return Unexpected(std::move(applied).error());
    }
    return {};
}

Expected<void, ExecutionError> ExecutionEngine::cancel(const CancelRequest& request,
                                                       ExecutionEventBuffer& out) {
    if (!started_) {
        return Unexpected(ExecutionError::adapter_disconnected());
    }
    if (!ledger_.contains(request.orig_client_order_id)) {
        return Unexpected(ExecutionError::route_not_found());
    }
    if (find_route(request.account, request.route, request.symbol) == nullptr) {
        return Unexpected(ExecutionError::route_not_found());
    }
    // A cancel is never risk-checked, not even under a kill switch.
    if (auto journaled = journal_->record_command(JournalCommandKind::Cancel,
                                                  request.client_order_id, request.ts_ns);
        !journaled) {
        return journaled;
    }

    scratch_.clear();
    if (auto sent = adapter_->cancel(request, scratch_); !sent) {
        return sent;
    }
    count(metrics_.cancels_sent);
    if (auto applied = apply_scratch(out); !applied) {
        return Unexpected(std::move(applied).error());
    }
    return {};
}

Expected<std::size_t, ExecutionError> ExecutionEngine::poll(ExecutionEventBuffer& out) {
    if (!started_) {
        return Unexpected(ExecutionError::adapter_disconnected());
    }
    scratch_.clear();
    if (auto polled = adapter_->poll(scratch_); !polled) {
        return Unexpected(std::move(polled).error());
    }
    return apply_scratch(out);
}

Expected<std::size_t, ExecutionError> ExecutionEngine::apply_scratch(ExecutionEventBuffer& out) {
    std::size_t processed = 0;
    for (const ExecutionEvent& event : scratch_.events()) {
        const Expected<bool, ExecutionCoreError> applied = ledger_.apply(event);
        if (!applied) {
            // This event and every later one are neither journaled nor delivered.
            scratch_.clear();
            return Unexpected(ExecutionError::core_error(applied.error()));
        }
        if (!*applied && event.kind == ExecutionType::StatusReport) {
            ledger_.adopt(event);
        }
        if (auto journaled = journal_->record_event(event); !journaled) {
            scratch_.clear();
            return Unexpected(std::move(journaled.error()));
        }
        count(metrics_.events_applied);
        if (auto pushed = out.push(event); !pushed) {
            scratch_.clear();  // later events are dropped
            return Unexpected(std::move(pushed.error()));
        }
        ++processed;
    }
    scratch_.clear();
    return processed;
}

}  // namespace qx::exec
