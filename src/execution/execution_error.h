// The error of the execution engine and its adapters and journals.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "execution_core/execution_core_error.h"
#include "execution_core/order_enums.h"

namespace qx::exec {

struct ExecutionError {
    enum class Kind : std::uint8_t {
        AdapterDisconnected,
        EventBufferFull,
        RouteNotFound,
        RiskRejected,
        Core,
        AdapterError,
        JournalError,
    };

    Kind kind = Kind::AdapterDisconnected;
    RiskRejectReason reason = RiskRejectReason::None;  // RiskRejected only
    ExecutionCoreError core;                           // Core only
    std::string detail;                                // AdapterError and JournalError only

    static ExecutionError adapter_disconnected() { return of(Kind::AdapterDisconnected); }
    static ExecutionError event_buffer_full() { return of(Kind::EventBufferFull); }
    static ExecutionError route_not_found() { return of(Kind::RouteNotFound); }
    static ExecutionError risk_rejected(RiskRejectReason reason) {
        ExecutionError e = of(Kind::RiskRejected);
        e.reason = reason;
        return e;
    }
    static ExecutionError core_error(ExecutionCoreError error) {
        ExecutionError e = of(Kind::Core);
        e.core = error;
        return e;
    }
    static ExecutionError adapter_error(std::string message) {
        ExecutionError e = of(Kind::AdapterError);
        e.detail = std::move(message);
        return e;
    }
    static ExecutionError journal_error(std::string message) {
        ExecutionError e = of(Kind::JournalError);
        e.detail = std::move(message);
        return e;
    }

    // "execution adapter disconnected", "execution event buffer is full", "execution route not
    // found", "risk rejected order: KillSwitch", "execution core error: <core message>",
    // "execution adapter error: <detail>", "execution journal error: <detail>".
    std::string message() const;

    friend bool operator==(const ExecutionError&, const ExecutionError&) = default;

  private:
    static ExecutionError of(Kind kind) {
        ExecutionError e;
        e.kind = kind;
        return e;
    }
};

}  // namespace qx::exec
