// Identifier construction, equality and hashing, and the checked enumeration conversions.
#include <gtest/gtest.h>

#include <string>

#include "execution_core/execution_symbol.h"
#include "execution_core/fixed_ascii.h"
#include "execution_core/order_enums.h"

namespace qx::exec {
namespace {

TEST(FixedAscii, CapacityIsInclusiveAndNeverTruncates) {
    const std::string forty(40, 'a');
    const auto ok = ClientOrderId::from_text(forty);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->text(), forty);
    EXPECT_EQ(ok->length(), 40u);

    const auto too_long = ClientOrderId::from_text(forty + "b");
    ASSERT_FALSE(too_long);
    EXPECT_EQ(too_long.error(), ExecutionCoreError::identifier_too_long(41, 40));
    EXPECT_EQ(too_long.error().message(), "identifier length 41 exceeds capacity 40");
}

TEST(FixedAscii, LengthIsCheckedBeforeAscii) {
    std::string long_non_ascii(44, 'x');
    long_non_ascii += '\xc3';  // 45 bytes, one of them not ASCII
    const auto r = ClientOrderId::from_text(long_non_ascii);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, ExecutionCoreError::Kind::IdentifierTooLong);
    EXPECT_EQ(r.error().length, 45u);

    const auto short_non_ascii = ClientOrderId::from_text("caf\xc3\xa9");
    ASSERT_FALSE(short_non_ascii);
    EXPECT_EQ(short_non_ascii.error().message(), "identifier must be ASCII");
    EXPECT_FALSE(VenueCode::from_text("\x80"));
}

TEST(FixedAscii, AcceptsEmptyControlAndSpaceCharacters) {
    const auto empty = VenueCode::from_text("");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    EXPECT_EQ(*empty, VenueCode{});

    const auto odd = VenueCode::from_text(std::string(" \t\x01\x7f", 4));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->length(), 4u);
}

TEST(FixedAscii, EqualityAndHashFollowTheText) {
    const auto a = SymbolCode::from_text("ESZ6");
    const auto b = SymbolCode::from_text("ESZ6");
    const auto c = SymbolCode::from_text("ESZ");
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(FixedAsciiHash{}(*a), FixedAsciiHash{}(*b));
    EXPECT_FALSE(*a == *c);  // a prefix is a different identifier
    EXPECT_FALSE(*a == SymbolCode::literal("esz6"));

    const ExecutionSymbol s1{VenueCode::literal("CME"), *a};
    const ExecutionSymbol s2{VenueCode::literal(""), *a};
    EXPECT_FALSE(s1 == s2);
    EXPECT_EQ(s1, (ExecutionSymbol{VenueCode::literal("CME"), SymbolCode::literal("ESZ6")}));
}

TEST(OrderEnums, ConversionsAcceptExactlyTheListedCodes) {
    struct Range {
        const char* name;
        bool (*accepts)(std::uint64_t);
        std::uint64_t first, last;
    };
    const Range ranges[] = {
        {"side", [](std::uint64_t c) { return order_side_from_code(c).has_value(); }, 1, 2},
        {"order type", [](std::uint64_t c) { return order_type_from_code(c).has_value(); }, 1, 4},
        {"time in force", [](std::uint64_t c) { return time_in_force_from_code(c).has_value(); }, 1,
         5},
        {"status", [](std::uint64_t c) { return order_status_from_code(c).has_value(); }, 1, 12},
        {"event kind", [](std::uint64_t c) { return execution_type_from_code(c).has_value(); }, 1,
         13},
        {"reject reason",
         [](std::uint64_t c) { return risk_reject_reason_from_code(c).has_value(); }, 0, 12},
    };
    for (const Range& r : ranges) {
        for (std::uint64_t code = 0; code <= 300; ++code) {
            EXPECT_EQ(r.accepts(code), code >= r.first && code <= r.last)
                << r.name << " code " << code;
        }
        EXPECT_FALSE(r.accepts(0x100000001ULL)) << r.name << ": no truncation to 8 bits";
    }
    EXPECT_EQ(order_type_from_code(4), OrderType::StopLimit);
    EXPECT_EQ(execution_type_from_code(12), ExecutionType::StatusReport);
}

TEST(OrderEnums, TerminalStatusesAndReasonNames) {
    for (int code = 0; code <= 255; ++code) {
        const bool terminal = code == 4 || code == 6 || code == 9 || code == 10;
        EXPECT_EQ(is_terminal(static_cast<OrderStatus>(code)), terminal) << code;
    }
    EXPECT_EQ(risk_reject_reason_name(RiskRejectReason::KillSwitch), "KillSwitch");
    EXPECT_EQ(risk_reject_reason_name(RiskRejectReason::DuplicateClientOrderId),
              "DuplicateClientOrderId");
    EXPECT_EQ(risk_reject_reason_name(RiskRejectReason::UnsupportedTimeInForce),
              "UnsupportedTimeInForce");
}

}  // namespace
}  // namespace qx::exec
