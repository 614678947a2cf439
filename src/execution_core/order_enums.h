// The enumerations of the execution side, stored as one-byte codes. Code 0 is not a valid
// side, order type, time in force, order status or event type. The *_from_code conversions
// accept exactly the listed range (used for C records and decoded logs); records themselves
// may carry any code, because the state machine copies a venue's status unchecked.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qx::exec {

enum class OrderSide : std::uint8_t { Buy = 1, Sell = 2 };

enum class OrderType : std::uint8_t { Market = 1, Limit = 2, Stop = 3, StopLimit = 4 };

// Validated, carried, stored and reported; no behaviour depends on it.
enum class TimeInForce : std::uint8_t { Day = 1, Gtc = 2, Ioc = 3, Fok = 4, Gtd = 5 };

enum class OrderStatus : std::uint8_t {
    PendingNew = 1,
    New = 2,
    PartiallyFilled = 3,
    Filled = 4,
    PendingCancel = 5,
    Canceled = 6,
    PendingReplace = 7,
    Replaced = 8,
    Rejected = 9,
    Expired = 10,
    Restated = 11,
    Unknown = 12,
};

// The kind of an execution event.
enum class ExecutionType : std::uint8_t {
    New = 1,
    Rejected = 2,
    Trade = 3,
    PendingCancel = 4,
    Canceled = 5,
    CancelRejected = 6,
    PendingReplace = 7,
    Replaced = 8,
    ReplaceRejected = 9,
    Expired = 10,
    Restatement = 11,
    StatusReport = 12,
    Informational = 13,
};

enum class RiskRejectReason : std::uint8_t {
    None = 0,
    KillSwitch = 1,
    AccountDisabled = 2,
    RouteDisabled = 3,
    SymbolDisabled = 4,
    MaxOrderQty = 5,
    MaxOrderNotional = 6,
    MaxOpenOrders = 7,
    MaxOpenNotional = 8,
    PriceBand = 9,
    DuplicateClientOrderId = 10,
    UnsupportedOrderType = 11,
    UnsupportedTimeInForce = 12,
};

template <typename E>
constexpr std::uint8_t to_code(E value) noexcept {
    return static_cast<std::uint8_t>(value);
}

namespace detail {
template <typename E>
constexpr std::optional<E> code_in_range(std::uint64_t code, std::uint64_t first,
                                         std::uint64_t last) noexcept {
    if (code < first || code > last) {
        return std::nullopt;
    }
    return static_cast<E>(code);
}
}  // namespace detail

constexpr std::optional<OrderSide> order_side_from_code(std::uint64_t code) noexcept {
    return detail::code_in_range<OrderSide>(code, 1, 2);
}
constexpr std::optional<OrderType> order_type_from_code(std::uint64_t code) noexcept {
    return detail::code_in_range<OrderType>(code, 1, 4);
}
constexpr std::optional<TimeInForce> time_in_force_from_code(std::uint64_t code) noexcept {
    return detail::code_in_range<TimeInForce>(code, 1, 5);
}
constexpr std::optional<OrderStatus> order_status_from_code(std::uint64_t code) noexcept {
    return detail::code_in_range<OrderStatus>(code, 1, 12);
}
constexpr std::optional<ExecutionType> execution_type_from_code(std::uint64_t code) noexcept {
    return detail::code_in_range<ExecutionType>(code, 1, 13);
}
constexpr std::optional<RiskRejectReason> risk_reject_reason_from_code(
    std::uint64_t code) noexcept {
    return detail::code_in_range<RiskRejectReason>(code, 0, 12);
}

// Filled, Canceled, Rejected and Expired; every other code, known or not, counts as open.
constexpr bool is_terminal(OrderStatus status) noexcept {
    switch (to_code(status)) {
        case 4:
        case 6:
        case 9:
        case 10:
            return true;
        default:
            return false;
    }
}

// The reason's name ("KillSwitch", "MaxOrderQty", ...); also the text of the "risk rejected
// order: {}" message. A code outside the enumeration gives "Unknown".
std::string_view risk_reject_reason_name(RiskRejectReason reason) noexcept;

}  // namespace qx::exec
