// The shared pieces of the C boundary: delivery frames, text arguments, symbol references,
// the exception guard and the version exports.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "ffi/support/delivery.h"
#include "ffi/support/guard.h"
#include "ffi/support/text_args.h"
#include "qx/qx.h"

namespace qx::ffi {
namespace {

TEST(Versions, ValuesAndStaticBuildText) {
    EXPECT_EQ(qx_api_version(), 65536u);
    EXPECT_EQ(qx_execution_api_version(), 65536u);
    const char* first = qx_build_info();
    EXPECT_STREQ(first, "qx_ffi_c/0.5.0");
    EXPECT_EQ(qx_build_info(), first);
    qx_string_free(nullptr);
}

TEST(DeliverString, CopiesWithTerminatorAndLength) {
    char* out = nullptr;
    uint32_t len = 0;
    ASSERT_EQ(deliver_string("{\"a\":1}", &out, &len), QX_STATUS_OK);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(len, 7u);
    EXPECT_STREQ(out, "{\"a\":1}");
    qx_string_free(out);

    ASSERT_EQ(deliver_string("", &out, &len), QX_STATUS_OK);
    EXPECT_EQ(len, 0u);
    EXPECT_STREQ(out, "");
    qx_string_free(out);
}

TEST(DeliverString, TextWithNulIsUndeliverableAndWritesNothing) {
    char sentinel = 'x';
    char* out = &sentinel;
    uint32_t len = 99;
    EXPECT_EQ(deliver_string(std::string_view("a\0b", 3), &out, &len), QX_STATUS_UNDELIVERABLE);
    EXPECT_EQ(out, &sentinel);
    EXPECT_EQ(len, 99u);
}

TEST(DeliverToBuffer, SizeProbeThenExactCopy) {
    const std::string text = "{\"mid\":102}";
    char buf[32];
    std::memset(buf, '#', sizeof buf);

    uint32_t len = 5;
    EXPECT_EQ(deliver_to_buffer(text, nullptr, &len), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(len, 5u) << "a NULL buffer must not report the size";
    EXPECT_EQ(deliver_to_buffer(text, buf, nullptr), QX_STATUS_INVALID_ARGUMENT);

    len = 0;
    EXPECT_EQ(deliver_to_buffer(text, buf, &len), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(len, text.size());
    EXPECT_EQ(buf[0], '#') << "a too small buffer stays untouched";

    len = static_cast<uint32_t>(text.size() - 1);
    EXPECT_EQ(deliver_to_buffer(text, buf, &len), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(buf[0], '#');

    len = static_cast<uint32_t>(text.size());
    EXPECT_EQ(deliver_to_buffer(text, buf, &len), QX_STATUS_OK);
    EXPECT_EQ(len, text.size());
    EXPECT_EQ(std::string(buf, len), text);
    EXPECT_EQ(buf[len], '#') << "no NUL is written after the text";

    len = sizeof buf;
    EXPECT_EQ(deliver_to_buffer(text, buf, &len), QX_STATUS_OK);
    EXPECT_EQ(len, text.size());
}

TEST(TextArgs, OptionalTextRule) {
    EXPECT_FALSE(non_empty_string(nullptr));
    EXPECT_FALSE(non_empty_string(""));
    EXPECT_FALSE(non_empty_string("   "));
    EXPECT_FALSE(non_empty_string("\t\xe2\x80\x83\n"));  // em space between tab and newline
    EXPECT_FALSE(non_empty_string("\xff"));
    EXPECT_EQ(non_empty_string(" ab "), std::string(" ab "));
    EXPECT_EQ(non_empty_string("x"), std::string("x"));
}

TEST(TextArgs, RequiredTextAcceptsEmptyRejectsNullAndBadUtf8) {
    EXPECT_EQ(required_text(""), std::string_view(""));
    EXPECT_FALSE(required_text(nullptr));
    EXPECT_FALSE(required_text("\xc3("));
}

TEST(SymbolRef, ConversionRules) {
    qx_symbol_ref_t ref{"", "ESZ6", 10};
    auto s = symbol_from_ffi_ref(&ref);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->id.venue, "");
    EXPECT_EQ(s->id.symbol, "ESZ6");
    EXPECT_EQ(s->depth_levels, 10);

    qx_symbol_ref_t no_symbol{"CME", nullptr, 0};
    EXPECT_FALSE(symbol_from_ffi_ref(&no_symbol));
    qx_symbol_ref_t no_venue{nullptr, "ES", 0};
    EXPECT_FALSE(symbol_from_ffi_ref(&no_venue));
    qx_symbol_ref_t bad_utf8{"CME", "E\xffS", 0};
    EXPECT_FALSE(symbol_view_from_ffi_ref(&bad_utf8));

    // The empty venue names a different instrument than any non-empty venue; comparison is
    // byte for byte and case-sensitive.
    qx_symbol_ref_t a{"", "ES", 0}, b{"cme", "ES", 0}, c{"CME", "ES", 0};
    const auto va = symbol_view_from_ffi_ref(&a), vb = symbol_view_from_ffi_ref(&b),
               vc = symbol_view_from_ffi_ref(&c);
    EXPECT_FALSE(va->id == vb->id);
    EXPECT_FALSE(vb->id == vc->id);
    EXPECT_TRUE(SymbolIdEq{}(SymbolId{"CME", "ES"}, vc->id));
    EXPECT_EQ(SymbolIdHash{}(SymbolId{"CME", "ES"}), SymbolIdHash{}(vc->id));
}

TEST(Guard, EscapingExceptionsBecomeTheInternalFailureStatus) {
    EXPECT_EQ(guarded([]() -> qx_status_t { return QX_STATUS_CAPACITY; }), QX_STATUS_CAPACITY);
    EXPECT_EQ(guarded([]() -> qx_status_t { throw std::bad_alloc(); }), kInternalFailureStatus);
    EXPECT_EQ(guarded([]() -> qx_status_t { throw std::runtime_error("x"); }),
              kInternalFailureStatus);
    EXPECT_EQ(guarded([]() -> qx_status_t { throw 42; }), kInternalFailureStatus);
    bool ran = false;
    guarded_void([&] {
        ran = true;
        throw std::logic_error("swallowed");
    });
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace qx::ffi
