// The error of the execution vocabulary: identifier construction, order validation and the
// order state machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qx::exec {

struct ExecutionCoreError {
    enum class Kind : std::uint8_t {
        IdentifierTooLong,
        NotAscii,
        QuantityNotPositive,
        PriceNotPositive,
        InvalidTransition,
    };

    Kind kind = Kind::InvalidTransition;
    // Only meaningful for IdentifierTooLong: the text's byte length and the capacity it exceeds.
    std::size_t length = 0;
    std::size_t capacity = 0;

    static constexpr ExecutionCoreError identifier_too_long(std::size_t length,
                                                            std::size_t capacity) noexcept {
        ExecutionCoreError e = of(Kind::IdentifierTooLong);
        e.length = length;
        e.capacity = capacity;
        return e;
    }
    static constexpr ExecutionCoreError not_ascii() noexcept { return of(Kind::NotAscii); }
    static constexpr ExecutionCoreError quantity_not_positive() noexcept {
        return of(Kind::QuantityNotPositive);
    }
    static constexpr ExecutionCoreError price_not_positive() noexcept {
        return of(Kind::PriceNotPositive);
    }
    static constexpr ExecutionCoreError invalid_transition() noexcept {
        return of(Kind::InvalidTransition);
    }

    // "identifier length 41 exceeds capacity 40", "identifier must be ASCII",
    // "quantity must be positive", "price must be positive", "invalid order state transition".
    std::string message() const;

    friend bool operator==(const ExecutionCoreError&, const ExecutionCoreError&) = default;

  private:
    static constexpr ExecutionCoreError of(Kind kind) noexcept {
        ExecutionCoreError e;
        e.kind = kind;
        return e;
    }
};

}  // namespace qx::exec
