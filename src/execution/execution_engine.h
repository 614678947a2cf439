// The order manager: routes with per-route risk limits, the orders it accepted, a venue
// adapter and a journal. Single-threaded; every operation runs to completion on the caller's
// thread.
//
// Each command (submit, amend, cancel) validates, finds the route, runs the risk checks,
// journals the command, records the order, hands the request to the adapter, then applies the
// adapter's events to the orders, journaling each and appending it to the caller's buffer.
// Poll applies the events the venue produced on its own. Work done before a failure is kept,
// and events appended to the caller's buffer before a failure stay there.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "execution/execution_adapter.h"
#include "execution/execution_error.h"
#include "execution/execution_event_buffer.h"
#include "execution/execution_journal.h"
#include "execution/execution_metrics.h"
#include "execution/operator_controls.h"
#include "execution/order_ledger.h"
#include "execution/risk_checks.h"
#include "execution/risk_gate.h"
#include "execution/route_config.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

class ExecutionEngine {
  public:
    static constexpr std::size_t kScratchLimit = 64;

    // Builds the route index: later routes with the same key replace earlier ones.
    ExecutionEngine(std::unique_ptr<ExecutionAdapter> adapter, std::unique_ptr<RiskGate> gate,
                    std::unique_ptr<ExecutionJournal> journal, std::vector<RouteConfig> routes);

    ExecutionEngine(ExecutionEngine&&) noexcept = default;
    ExecutionEngine& operator=(ExecutionEngine&&) noexcept = default;

    // A SimExecutionAdapter, an AllowAllRiskGate and an empty InMemoryJournal.
    static ExecutionEngine simulated_engine_with_routes(std::vector<RouteConfig> routes);

    // Connects the adapter and marks the engine started; may be called again. There is no
    // stop: a started engine stays started.
    Expected<void, ExecutionError> start();
    bool started() const noexcept { return started_; }

    Expected<void, ExecutionError> submit(const OrderRequest& order, ExecutionEventBuffer& out);
    Expected<void, ExecutionError> amend(const AmendRequest& request, ExecutionEventBuffer& out);
    Expected<void, ExecutionError> cancel(const CancelRequest& request, ExecutionEventBuffer& out);
    // AdapterDisconnected before start; otherwise the number of events processed.
    Expected<std::size_t, ExecutionError> poll(ExecutionEventBuffer& out);

    // The order held under `client_order_id`, or nullptr. After a replace an order is found
    // under its new identifier only.
    const OrderState* order_state(const ClientOrderId& client_order_id) const {
        return ledger_.find(client_order_id);
    }

    ExecutionMetrics metrics() const noexcept { return metrics_; }
    AdapterHealth health() const { return adapter_->health(); }

    // The enabled route with this key, or nullptr (unknown and disabled routes alike).
    const RouteConfig* find_route(const AccountId& account, const RouteId& route,
                                  const ExecutionSymbol& symbol) const;
    // What the route checks read for an order or amend with `client_order_id` on `route`.
    RiskContext risk_context(const RouteConfig& route, const ClientOrderId& client_order_id) const;

    const std::vector<RouteConfig>& routes() const noexcept { return routes_; }
    const OrderLedger& ledger() const noexcept { return ledger_; }
    const ExecutionAdapter& adapter() const noexcept { return *adapter_; }
    const ExecutionJournal& journal() const noexcept { return *journal_; }

    // No exported function changes the operator controls; see OperatorControls.
    OperatorControls& operator_controls() noexcept { return controls_; }
    const OperatorControls& operator_controls() const noexcept { return controls_; }

  private:
    // Journals and delivers the Rejected event of a submission refused before it reached the
    // venue, and returns RiskRejected(reason) (EventBufferFull when `out` is full).
    Expected<void, ExecutionError> reject_locally(const OrderRequest& order,
                                                  const RiskDecision& decision,
                                                  ExecutionEventBuffer& out);
    // Applies, journals and delivers the adapter's events collected in scratch_.
    Expected<std::size_t, ExecutionError> apply_scratch(ExecutionEventBuffer& out);

    std::unique_ptr<ExecutionAdapter> adapter_;
    std::unique_ptr<RiskGate> gate_;
    std::unique_ptr<ExecutionJournal> journal_;
    std::vector<RouteConfig> routes_;
    std::unordered_map<RouteKey, std::size_t, RouteKeyHash> route_index_;
    OrderLedger ledger_;
    OperatorControls controls_;
    ExecutionEventBuffer scratch_{kScratchLimit};
    ExecutionMetrics metrics_;
    bool started_ = false;
};

}  // namespace qx::exec
