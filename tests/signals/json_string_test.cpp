#include <gtest/gtest.h>

#include <string>

#include "signals/json_string.h"

namespace qx {
namespace {

TEST(PushJsonString, EscapesControlsDelAndC1) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"plain text", "\"plain text\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\t\n\r", "\"\\t\\n\\r\""},
        {std::string("\x00\x01\x0c\x1f", 4), "\"\\u0000\\u0001\\u000c\\u001f\""},
        {"del\x7f", "\"del\\u007f\""},
        // U+0080 and U+009F are C1 controls; U+00A0 and U+00E9 are not.
        {"\xc2\x80|\xc2\x9f|\xc2\xa0|\xc3\xa9", "\"\\u0080|\\u009f|\xc2\xa0|\xc3\xa9\""},
        {"\xf0\x9f\x98\x80", "\"\xf0\x9f\x98\x80\""},
        // A lone lead byte at the end is copied as it is.
        {"x\xc2", "\"x\xc2\""},
    };
    for (const Case& c : cases) {
        std::string out = "prefix:";
        push_json_string(out, c.in);
        EXPECT_EQ(out, "prefix:" + c.out);
    }
}

}  // namespace
}  // namespace qx
