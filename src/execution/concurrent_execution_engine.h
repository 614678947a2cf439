// An execution engine with the simulated venue running on a worker thread of its own. Hosts
// queue commands without blocking and later collect one report per command. The single
// worker executes commands in the order they were queued, so the engine needs no lock: the
// queues and the command-id counter are all the threads share.
//
// Handle states: running; stopping (Stop queued: earlier commands still run and report);
// ended (the worker is gone: queuing gives WorkerGone, queued reports can still be taken, then
// try_recv_report gives WorkerGone too). There is no restart.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "execution/execution_error.h"
#include "execution/route_config.h"
#include "execution/worker_command.h"
#include "support/bounded_channel.h"
#include "support/expected.h"

namespace qx::exec {

enum class QueueError : std::uint8_t {
    QueueFull,   // the command queue is full; nothing was queued
    WorkerGone,  // the worker has ended (or stopped taking commands)
    NoReport,    // no report is waiting
};

// Why spawning failed.
struct SpawnError {
    enum class Kind : std::uint8_t {
        QueueStorage,  // a queue's storage cannot be reserved for the capacity asked
        ThreadStart,   // the worker thread cannot be started
        WorkerEnded,   // the worker ended before reporting ready
        Startup,       // the engine failed to start: see `error`
    };
    Kind kind = Kind::ThreadStart;
    ExecutionError error;  // Startup only
};

struct WorkerCapacities {
    std::uint32_t command_capacity = 1024;
    std::uint32_t report_capacity = 1024;
    std::uint32_t event_capacity = 64;  // the most events one command may produce
};

// The sending side of the command queue with the shared command-id counter.
class ExecutionCommandSender {
  public:
    explicit ExecutionCommandSender(ChannelSender<WorkerCommand> sender)
        : sender_(std::move(sender)) {}

    // Takes the next id (consumed even when queuing then fails) and queues without waiting.
    Expected<std::uint64_t, QueueError> try_send(WorkerCommand command);
    // Takes the next id and queues, waiting while the queue is full.
    Expected<std::uint64_t, QueueError> send_waiting(WorkerCommand command);
    void close() noexcept { sender_.close(); }

  private:
    ChannelSender<WorkerCommand> sender_;
    std::atomic<std::uint64_t> next_id_{1};
};

class ConcurrentExecutionEngine {
  public:
    // The worker's name. The system keeps at most 15 bytes of a thread's name, so the thread
    // itself carries kWorkerOsThreadName.
    static constexpr std::string_view kWorkerThreadName = "quorix-execution-worker";
    static constexpr std::string_view kWorkerOsThreadName = "quorix-exec-wkr";

    // Builds the simulated engine over `routes`, reserves the queues, starts the worker and
    // waits for it to start the engine.
    static Expected<std::unique_ptr<ConcurrentExecutionEngine>, SpawnError> spawn(
        std::vector<RouteConfig> routes, WorkerCapacities capacities);

    ConcurrentExecutionEngine(const ConcurrentExecutionEngine&) = delete;
    ConcurrentExecutionEngine& operator=(const ConcurrentExecutionEngine&) = delete;

    // Queues Stop if there is room, closes the command queue and the report queue (reports
    // not taken are dropped, so a worker waiting for room to report ends at once) and waits
    // for the worker to end. Always completes.
    ~ConcurrentExecutionEngine();

    // Queue one command without waiting: its id, QueueFull or WorkerGone.
    Expected<std::uint64_t, QueueError> try_send(WorkerCommand command) {
        return commands_.try_send(std::move(command));
    }
    // Queues Stop, waiting while the command queue is full: its id or WorkerGone. Commands
    // queued behind it are never executed. While waiting, the queue only drains if reports are
    // taken (by another thread) when the report queue is full as well.
    Expected<std::uint64_t, QueueError> request_stop() {
        return commands_.send_waiting(WorkerCommand::stop());
    }
    // The oldest report without waiting: NoReport, or WorkerGone once the worker has ended and
    // every report has been taken.
    Expected<ExecutionCommandReport, QueueError> try_recv_report();

    std::string_view worker_thread_name() const noexcept { return kWorkerThreadName; }

  private:
    ConcurrentExecutionEngine(ChannelSender<WorkerCommand> commands,
                              ChannelReceiver<ExecutionCommandReport> reports,
                              std::thread worker) noexcept;

    ExecutionCommandSender commands_;
    ChannelReceiver<ExecutionCommandReport> reports_;
    std::thread worker_;
};

}  // namespace qx::exec
