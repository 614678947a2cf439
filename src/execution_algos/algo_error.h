// The failures of the execution algorithms. None carries a message: the C boundary turns each
// into a status code.
#pragma once

#include <cstdint>

#include "execution_core/execution_core_error.h"

namespace qx::exec {

enum class AlgoError : std::uint8_t {
    QuantityNotPositive,  // parent quantity <= 0, or a child quantity <= 0
    PriceNotPositive,     // a price the order type needs is <= 0
    InvalidSchedule,      // start_ns >= end_ns, or a slice interval of 0
    InvalidChildBounds,   // min_child_qty <= 0 or max_child_qty < min_child_qty
    ParentInactive,       // the parent is finished (state codes 4 to 8)
    ProgressMismatch,     // the progress does not belong to the parent or exceeds its total
};

// The algorithm's reading of an order-validation failure; any other core error (which order
// validation does not produce) is taken as a quantity failure.
constexpr AlgoError algo_error_from_core(const ExecutionCoreError& error) noexcept {
    return error.kind == ExecutionCoreError::Kind::PriceNotPositive
               ? AlgoError::PriceNotPositive
               : AlgoError::QuantityNotPositive;
}

}  // namespace qx::exec
