#include "execution/concurrent_execution_engine.h"

#include <optional>
#include <utility>

#include "execution/execution_engine.h"
#include "execution/execution_event_buffer.h"
#include "support/thread_name.h"

namespace qx::exec {
namespace {

// The start-up answer: nullopt once the engine has started, else its error.
using StartupResult = std::optional<ExecutionError>;

Expected<void, ExecutionError> execute(ExecutionEngine& engine, const WorkerCommand& command,
                                       ExecutionEventBuffer& events) {
    switch (command.kind) {
        case WorkerCommandKind::Submit:
            return engine.submit(std::get<OrderRequest>(command.payload), events);
        case WorkerCommandKind::Cancel:
            return engine.cancel(std::get<CancelRequest>(command.payload), events);
        case WorkerCommandKind::Amend:
            return engine.amend(std::get<AmendRequest>(command.payload), events);
        case WorkerCommandKind::Poll:
            if (auto polled = engine.poll(events); !polled) {
                return Unexpected(std::move(polled).error());
            }
            return {};
        case WorkerCommandKind::Stop:
            break;
    }
    return {};
}

struct Worker {
    ExecutionEngine engine;
    ChannelReceiver<WorkerCommand> commands;
    ChannelSender<ExecutionCommandReport> reports;
    ChannelSender<StartupResult> startup;
    std::uint32_t event_capacity;

    void run() {
        set_current_thread_name(ConcurrentExecutionEngine::kWorkerOsThreadName);
        StartupResult started;
        if (auto ok = engine.start(); !ok) {
            started = ok.error();
        }
        const bool ready = !started.has_value();
        (void)startup.send_last(started);
        if (!ready) {
            return;
        }
        ExecutionEventBuffer events(event_capacity);
        while (true) {
            auto command = commands.recv();
            if (!command) {
                return;  // the host closed the queue
            }
            events.clear();
            ExecutionCommandReport report;
            report.command_id = command->command_id;
            report.kind = command->kind;
            report.result = execute(engine, *command, events);
            report.events.assign(events.events().begin(), events.events().end());
            if (command->kind == WorkerCommandKind::Stop) {
                // Nothing behind Stop runs; once its report is taken the host sees the worker
                // gone on both queues.
                commands.close();
                (void)reports.send_last(report);
                return;
            }
            if (!reports.send(report)) {
                return;  // the host no longer takes reports
            }
        }
    }
};

}  // namespace

Expected<std::uint64_t, QueueError> ExecutionCommandSender::try_send(WorkerCommand command) {
    command.command_id = next_id_.fetch_add(1, std::memory_order_relaxed);
    if (auto sent = sender_.try_send(command); !sent) {
        return Unexpected(sent.error() == ChannelSendError::Full ? QueueError::QueueFull
                                                                 : QueueError::WorkerGone);
    }
    return command.command_id;
}

Expected<std::uint64_t, QueueError> ExecutionCommandSender::send_waiting(WorkerCommand command) {
    command.command_id = next_id_.fetch_add(1, std::memory_order_relaxed);
    if (auto sent = sender_.send(command); !sent) {
        return Unexpected(QueueError::WorkerGone);
    }
    return command.command_id;
}

ConcurrentExecutionEngine::ConcurrentExecutionEngine(
    ChannelSender<WorkerCommand> commands, ChannelReceiver<ExecutionCommandReport> reports,
    std::thread worker) noexcept
    : commands_(std::move(commands)), reports_(std::move(reports)), worker_(std::move(worker)) {}

Expected<std::unique_ptr<ConcurrentExecutionEngine>, SpawnError> ConcurrentExecutionEngine::spawn(
    std::vector<RouteConfig> routes, WorkerCapacities capacities) {
    auto commands = make_bounded_channel<WorkerCommand>(capacities.command_capacity);
    auto reports = make_bounded_channel<ExecutionCommandReport>(capacities.report_capacity);
    auto startup = make_bounded_channel<StartupResult>(1);
    if (!commands || !reports || !startup) {
        return Unexpected(SpawnError{SpawnError::Kind::QueueStorage, {}});
    }

    auto worker = std::make_unique<Worker>(
        Worker{ExecutionEngine::simulated_engine_with_routes(std::move(routes)),
               std::move(commands->receiver), std::move(reports->sender),
               std::move(startup->sender), capacities.event_capacity});
    std::thread thread;
    try {
        thread = std::thread([w = std::move(worker)]() noexcept {
            try {
                w->run();
            } catch (...) {
                // Memory exhausted on the worker: it ends, and the host sees it gone.
            }
        });
    } catch (...) {
        return Unexpected(SpawnError{SpawnError::Kind::ThreadStart, {}});
    }

    auto started = startup->receiver.recv();
    if (!started || started->has_value()) {
        thread.join();
        if (!started) {
            return Unexpected(SpawnError{SpawnError::Kind::WorkerEnded, {}});
        }
        return Unexpected(SpawnError{SpawnError::Kind::Startup, **started});
    }
    return std::unique_ptr<ConcurrentExecutionEngine>(new ConcurrentExecutionEngine(
        std::move(commands->sender), std::move(reports->receiver), std::move(thread)));
}

ConcurrentExecutionEngine::~ConcurrentExecutionEngine() {
    (void)commands_.try_send(WorkerCommand::stop());
    commands_.close();
    reports_.close();
    if (worker_.joinable()) {
        worker_.join();
    }
}

Expected<ExecutionCommandReport, QueueError> ConcurrentExecutionEngine::try_recv_report() {
    auto report = reports_.try_recv();
    if (!report) {
        return Unexpected(report.error() == ChannelRecvError::Empty ? QueueError::NoReport
                                                                    : QueueError::WorkerGone);
    }
    return std::move(*report);
}

}  // namespace qx::exec
