// The worker-thread engine against the engine run directly: the same commands give the same
// outcomes and the same events, in queue order.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "execution/concurrent_execution_engine.h"
#include "execution_test_support.h"

namespace {

using namespace qx::exec;
using namespace qx::exec::testing;
using qx::Expected;
using qx::Unexpected;

ExecutionCommandReport wait_report(ConcurrentExecutionEngine& engine) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        auto report = engine.try_recv_report();
        if (report) {
            return std::move(*report);
        }
        EXPECT_EQ(report.error(), QueueError::NoReport);
        std::this_thread::yield();
    }
    ADD_FAILURE() << "no report arrived";
    return {};
}

TEST(ConcurrentExecutionEngine, MatchesTheEngineRunDirectly) {
    RouteConfig halted = route("halted");
    halted.kill_switch = true;
    const std::vector<RouteConfig> routes = {route(), halted};
    std::vector<WorkerCommand> commands = {
        WorkerCommand::submit(limit_order("o-1")),
        WorkerCommand::submit(limit_order("o-2", 5, 101, "halted")),
        WorkerCommand::poll(),
        WorkerCommand::amend(amend_of("o-1", "o-1b")),
        WorkerCommand::cancel(cancel_of("o-1")),
        WorkerCommand::submit(limit_order("o-3", 0)),  // quantity not positive
        WorkerCommand::cancel(cancel_of("unknown")),
        WorkerCommand::submit(limit_order("o-4", 7, 99)),
    };

    SimEngine direct(routes);
    auto spawned = ConcurrentExecutionEngine::spawn(routes, WorkerCapacities{});
    ASSERT_TRUE(spawned);
    ConcurrentExecutionEngine& worker = **spawned;
    EXPECT_EQ(worker.worker_thread_name(), "quorix-execution-worker");
    std::vector<std::uint64_t> ids;
    for (const WorkerCommand& c : commands) {
        auto id = worker.try_send(c);
        ASSERT_TRUE(id);
        ids.push_back(*id);
    }
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const WorkerCommand& c = commands[i];
        Expected<void, ExecutionError> want;
        switch (c.kind) {
            case WorkerCommandKind::Submit:
                want = direct.submit(std::get<OrderRequest>(c.payload));
                break;
            case WorkerCommandKind::Cancel:
                want = direct.cancel(std::get<CancelRequest>(c.payload));
                break;
            case WorkerCommandKind::Amend:
                want = direct.amend(std::get<AmendRequest>(c.payload));
                break;
            default:
                if (auto polled = direct.poll(); !polled) {
                    want = Unexpected(polled.error());
                }
                break;
        }
        const ExecutionCommandReport report = wait_report(worker);
        EXPECT_EQ(report.command_id, ids[i]);
        EXPECT_EQ(report.command_id, i + 1);
        EXPECT_EQ(report.kind, c.kind);
        ASSERT_EQ(report.result.has_value(), want.has_value()) << "command " << i;
        if (!want) {
            EXPECT_EQ(report.result.error(), want.error()) << "command " << i;
        }
        const std::vector<ExecutionEvent> want_events(direct.out.events().begin(),
                                                      direct.out.events().end());
        EXPECT_EQ(report.events, want_events) << "command " << i;
    }
    auto stop = worker.request_stop();
    ASSERT_TRUE(stop);
    const ExecutionCommandReport stopped = wait_report(worker);
    EXPECT_EQ(stopped.command_id, *stop);
    EXPECT_EQ(stopped.kind, WorkerCommandKind::Stop);
    EXPECT_TRUE(stopped.result);
    EXPECT_EQ(worker.try_recv_report().error(), QueueError::WorkerGone);
    EXPECT_EQ(worker.try_send(WorkerCommand::poll()).error(), QueueError::WorkerGone);
    EXPECT_EQ(worker.request_stop().error(), QueueError::WorkerGone);
}

TEST(ConcurrentExecutionEngine, QueueStorageThatCannotBeReservedFailsSpawn) {
    WorkerCapacities capacities;
    capacities.report_capacity = 0;
    auto zero = ConcurrentExecutionEngine::spawn({route()}, capacities);
    ASSERT_FALSE(zero);
    EXPECT_EQ(zero.error().kind, SpawnError::Kind::QueueStorage);
    capacities.report_capacity = 1024;
    capacities.command_capacity = 0xffffffffu;
    auto huge = ConcurrentExecutionEngine::spawn({route()}, capacities);
    ASSERT_FALSE(huge);
    EXPECT_EQ(huge.error().kind, SpawnError::Kind::QueueStorage);
}

}  // namespace
