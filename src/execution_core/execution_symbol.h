// The instrument key of the execution side.
#pragma once

#include <cstddef>

#include "execution_core/fixed_ascii.h"

namespace qx::exec {

struct ExecutionSymbol {
    VenueCode venue;
    SymbolCode symbol;

    friend bool operator==(const ExecutionSymbol&, const ExecutionSymbol&) = default;
};

struct ExecutionSymbolHash {
    std::size_t operator()(const ExecutionSymbol& s) const noexcept {
        const std::size_t h1 = FixedAsciiHash{}(s.venue);
        const std::size_t h2 = FixedAsciiHash{}(s.symbol);
        return h1 ^ (h2 + 0x9e3779b97f4a7c15ULL + (h1 << 6) + (h1 >> 2));
    }
};

}  // namespace qx::exec
