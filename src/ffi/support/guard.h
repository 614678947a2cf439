// The one guard every export runs its body in: no C++ exception ever crosses the C boundary.
#pragma once

#include <utility>

#include "qx/qx.h"

namespace qx::ffi {

// Status returned when an export meets an unexpected internal failure (an escaping exception,
// memory exhaustion included). Out-parameters are never written in that case, because every
// export stores its results only as its last step.
inline constexpr qx_status_t kInternalFailureStatus = QX_STATUS_UNDELIVERABLE;

// Runs `body` (returning qx_status_t) and turns any exception into kInternalFailureStatus.
template <typename Body>
qx_status_t guarded(Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return kInternalFailureStatus;
    }
}

// For exports without a status (destroy and release functions): exceptions are swallowed.
template <typename Body>
void guarded_void(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

}  // namespace qx::ffi
