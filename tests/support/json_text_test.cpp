// JSON escaping, number printing and the document builder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "support/json_escape.h"
#include "support/json_writer.h"
#include "support/number_format.h"

namespace qx {
namespace {

TEST(EscapeJson, TableOfCharacters) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a\"b", "a\\\"b"},
        {"back\\slash", "back\\\\slash"},
        {"\\\"", "\\\\\\\""},
        {"line\nfeed", "line\\nfeed"},
        {"cr\rtab\t", "cr\\rtab\\t"},
        {"form\ffeed", "form\\u000cfeed"},
        {std::string("nul\0x", 5), "nul\\u0000x"},
        {"\x01\x1f", "\\u0001\\u001f"},
        {"\x7f", "\x7f"},
        {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"},
        // Escapes made by later replacements are not doubled again.
        {"\\n", "\\\\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(escape_json(c.in), c.out) << "input: " << c.in;
    }
}

TEST(NumberFormat, ShortestRoundTripNeverExponent) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {100.0, "100"},
        {1e21, "1000000000000000000000"},
        {1e-7, "0.0000001"},
        {0.1, "0.1"},
        {0.0, "0"},
        {-2.5, "-2.5"},
        {1.0 / 3.0, "0.3333333333333333"},
        {123456789.125, "123456789.125"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format_f64_shortest(c.value), c.text);
    }
}

TEST(NumberFormat, ShortestTextReadsBackToTheSameDouble) {
    const double values[] = {5e-324,
                             2.2250738585072014e-308,
                             1.7976931348623157e308,
                             0.30000000000000004,
                             9007199254740993.0,
                             1e15 + 0.3};
    for (double v : values) {
        const std::string text = format_f64_shortest(v);
        EXPECT_EQ(text.find('e'), std::string::npos) << text;
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
    }
}

TEST(NumberFormat, FixedDecimals) {
    EXPECT_EQ(format_f64_fixed(1.0, 4), "1.0000");
    EXPECT_EQ(format_f64_fixed(2.345678, 2), "2.35");
    EXPECT_EQ(format_f64_fixed(-0.5, 0), "-0");
    EXPECT_EQ(format_f64_fixed(1e21, 1), "1000000000000000000000.0");
    EXPECT_EQ(format_f64_fixed(std::nan(""), 3), "NaN");
    EXPECT_EQ(format_f64_fixed(-INFINITY, 3), "-inf");
}

TEST(JsonWriter, NestedDocumentWithFixedOrder) {
    JsonWriter w;
    w.begin_object();
    w.key("venue").string("X\"1");
    w.key("n").i64(-3);
    w.key("u").u64(18446744073709551615ULL);
    w.key("ok").boolean(true);
    w.key("none").null();
    w.key("levels").begin_array();
    w.begin_object().key("p").f64(1.5).end_object();
    w.begin_object().key("p").f64_fixed(2.0, 2).end_object();
    w.end_array();
    w.key("empty").begin_array().end_array();
    w.key("raw").raw("{}");
    w.end_object();
    EXPECT_EQ(w.str(), R"({"venue":"X\"1","n":-3,"u":18446744073709551615,"ok":true,"none":null,)"
                       R"("levels":[{"p":1.5},{"p":2.00}],"empty":[],"raw":{}})");
}

}  // namespace
}  // namespace qx
