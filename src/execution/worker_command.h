// The messages between a host and the execution worker thread: the commands it is sent and
// the report it answers each one with.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "execution/execution_error.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

// A command's kind is its position: 0 Submit, 1 Cancel, 2 Amend, 3 Poll, 5 Stop (4 is not
// used).
enum class WorkerCommandKind : std::uint8_t {
    Submit = 0,
    Cancel = 1,
    Amend = 2,
    Poll = 3,
    Stop = 5
};

struct WorkerCommand {
    using Payload = std::variant<std::monostate, OrderRequest, CancelRequest, AmendRequest>;

    WorkerCommandKind kind = WorkerCommandKind::Poll;
    Payload payload;  // the request of Submit, Cancel and Amend; empty for Poll and Stop
    std::uint64_t command_id = 0;

    static WorkerCommand submit(const OrderRequest& r) { return {WorkerCommandKind::Submit, r}; }
    static WorkerCommand cancel(const CancelRequest& r) { return {WorkerCommandKind::Cancel, r}; }
    static WorkerCommand amend(const AmendRequest& r) { return {WorkerCommandKind::Amend, r}; }
    static WorkerCommand poll() { return {WorkerCommandKind::Poll, {}}; }
    static WorkerCommand stop() { return {WorkerCommandKind::Stop, {}}; }
};

// One per executed command, in execution order.
struct ExecutionCommandReport {
    std::uint64_t command_id = 0;
    WorkerCommandKind kind = WorkerCommandKind::Poll;
    Expected<void, ExecutionError> result;  // the engine's outcome
    std::vector<ExecutionEvent> events;     // produced by the command, also before a failure
};

}  // namespace qx::exec
