#include "execution/execution_error.h"

namespace qx::exec {

std::string ExecutionError::message() const {
    switch (kind) {
        case Kind::AdapterDisconnected:
            return "execution adapter disconnected";
        case Kind::EventBufferFull:
            return "execution event buffer is full";
        case Kind::RouteNotFound:
            return "execution route not found";
        case Kind::RiskRejected:
            return "risk rejected order: " + std::string(risk_reject_reason_name(reason));
        case Kind::Core:
            return "execution core error: " + core.message();
        case Kind::AdapterError:
            return "execution adapter error: " + detail;
        case Kind::JournalError:
            break;
    }
    return "execution journal error: " + detail;
}

}  // namespace qx::exec
