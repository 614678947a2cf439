// What the engine keeps when its adapter, journal or risk gate fails or refuses.
#include <gtest/gtest.h>

#include <memory>

#include "execution_test_support.h"

namespace qx::exec {
namespace {

using namespace testing;
using Kind = ExecutionError::Kind;

// A venue that refuses submits, or that answers with the simulated venue's events.
class ScriptedAdapter final : public ExecutionAdapter {
  public:
    bool fail_submit = false;
    Expected<void, ExecutionError> connect() override { return sim_.connect(); }
    Expected<void, ExecutionError> submit(const OrderRequest& o,
                                          ExecutionEventBuffer& events) override {
        if (fail_submit) {
            return Unexpected(ExecutionError::adapter_error("venue down"));
        }
        return sim_.submit(o, events);
    }
    Expected<void, ExecutionError> amend(const AmendRequest& a,
                                         ExecutionEventBuffer& events) override {
        return sim_.amend(a, events);
    }
    Expected<void, ExecutionError> cancel(const CancelRequest& c,
                                          ExecutionEventBuffer& events) override {
        return sim_.cancel(c, events);
    }
    Expected<std::size_t, ExecutionError> poll(ExecutionEventBuffer& events) override {
        return sim_.poll(events);
    }
    AdapterHealth health() const override { return sim_.health(); }

  private:
    SimExecutionAdapter sim_;
};

// A journal that fails commands or events on request and counts what it accepted.
class ScriptedJournal final : public ExecutionJournal {
  public:
    bool fail_commands = false;
    int events_before_failure = -1;  // -1: never fail events
    int commands = 0, events = 0;
    Expected<void, ExecutionError> record_command(JournalCommandKind, const ClientOrderId&,
                                                  std::uint64_t) override {
        if (fail_commands) {
            return Unexpected(ExecutionError::journal_error("disk full"));
        }
        ++commands;
        return {};
    }
    Expected<void, ExecutionError> record_event(const ExecutionEvent&) override {
        if (events_before_failure == events) {
            return Unexpected(ExecutionError::journal_error("disk full"));
        }
        ++events;
        return {};
    }
};

class RefusingGate final : public RiskGate {
  public:
    RiskDecision check_new(const OrderRequest&, const RouteConfig&, const RiskContext&) override {
        return RiskDecision::reject(RiskRejectReason::PriceBand,
                                    EventText::literal("gate says no"));
    }
    RiskDecision check_amend(const AmendRequest&, const RouteConfig&, const RiskContext&) override {
        return RiskDecision::reject(RiskRejectReason::SymbolDisabled, EventText{});
    }
};

struct Rig {
    ScriptedAdapter* adapter;
    ScriptedJournal* journal;
    std::unique_ptr<ExecutionEngine> engine;
    ExecutionEventBuffer out{32};

    explicit Rig(std::unique_ptr<RiskGate> gate = std::make_unique<AllowAllRiskGate>()) {
        auto a = std::make_unique<ScriptedAdapter>();
        auto j = std::make_unique<ScriptedJournal>();
        adapter = a.get();
        journal = j.get();
        engine = std::make_unique<ExecutionEngine>(std::move(a), std::move(gate), std::move(j),
                                                   std::vector<RouteConfig>{route()});
        (void)engine->start();
    }
};

TEST(ExecutionEngineFailures, AVenueFailureLeavesTheOrderPendingNew) {
    Rig rig;
    rig.adapter->fail_submit = true;
    const auto r = rig.engine->submit(limit_order("o-1"), rig.out);
    EXPECT_EQ(r.error(), ExecutionError::adapter_error("venue down"));
    EXPECT_EQ(r.error().message(), "execution adapter error: venue down");
    ASSERT_NE(rig.engine->order_state(id<40>("o-1")), nullptr);
    EXPECT_EQ(rig.engine->order_state(id<40>("o-1"))->status, OrderStatus::PendingNew);
    EXPECT_EQ(rig.journal->commands, 1);
    EXPECT_EQ(rig.engine->metrics().orders_submitted, 0u);
    // The identifier is taken now.
    rig.adapter->fail_submit = false;
    EXPECT_EQ(rig.engine->submit(limit_order("o-1"), rig.out).error(),
              ExecutionError::risk_rejected(RiskRejectReason::DuplicateClientOrderId));
}

TEST(ExecutionEngineFailures, JournalFailures) {
    Rig commands;
    commands.journal->fail_commands = true;
    const auto r = commands.engine->submit(limit_order("o-1"), commands.out);
    EXPECT_EQ(r.error().message(), "execution journal error: disk full");
    EXPECT_EQ(commands.engine->order_state(id<40>("o-1")), nullptr) << "not recorded";

    // An event the journal refuses is already applied but neither counted nor delivered.
    Rig events;
    events.journal->events_before_failure = 1;
    EXPECT_EQ(events.engine->submit(limit_order("o-1"), events.out).error().kind,
              Kind::JournalError);
    ASSERT_EQ(events.out.size(), 1u);
    EXPECT_EQ(events.engine->order_state(id<40>("o-1"))->status, OrderStatus::Filled);
    EXPECT_EQ(events.engine->metrics().events_applied, 1u);
}

TEST(ExecutionEngineFailures, TheRiskGateRunsAfterTheRouteChecks) {
    Rig rig(std::make_unique<RefusingGate>());
    EXPECT_EQ(rig.engine->submit(limit_order("o-1"), rig.out).error(),
              ExecutionError::risk_rejected(RiskRejectReason::PriceBand));
    ASSERT_EQ(rig.out.size(), 1u);
    EXPECT_EQ(rig.out[0].text.text(), "gate says no");
    EXPECT_EQ(rig.engine->metrics().risk_rejects, 1u);
}

}  // namespace
}  // namespace qx::exec
