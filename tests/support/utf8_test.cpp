#include <gtest/gtest.h>

#include <string>

#include "support/utf8.h"

namespace qx {
namespace {

TEST(Utf8, ValidAndInvalidSequences) {
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"ascii", true},
        {"\xc3\xa9", true},           // U+00E9
        {"\xe2\x82\xac", true},       // U+20AC
        {"\xf0\x9f\x98\x80", true},   // U+1F600
        {"\xf4\x8f\xbf\xbf", true},   // U+10FFFF
        {"\xff", false},              // never valid
        {"\xc3", false},              // truncated
        {"\xe2\x82", false},          // truncated
        {"\xc0\xaf", false},          // overlong '/'
        {"\xe0\x80\xaf", false},      // overlong
        {"\xed\xa0\x80", false},      // surrogate U+D800
        {"\xf4\x90\x80\x80", false},  // above U+10FFFF
        {"\x80", false},              // stray continuation
        {"a\xc3\x28", false},         // bad continuation
    };
    for (const Case& c : cases) {
        EXPECT_EQ(is_valid_utf8(c.text), c.valid) << "case of " << c.text.size() << " bytes";
    }
}

TEST(Utf8, BlankMeansUnicodeWhiteSpaceOnly) {
    EXPECT_TRUE(is_blank_utf8(""));
    EXPECT_TRUE(is_blank_utf8("   "));
    EXPECT_TRUE(is_blank_utf8("\t\n\v\f\r"));
    EXPECT_TRUE(
        is_blank_utf8("\xc2\xa0\xe3\x80\x80\xe2\x80\xa8\xc2\x85"));  // NBSP, U+3000, U+2028, NEL
    EXPECT_FALSE(is_blank_utf8(" a "));
    EXPECT_FALSE(is_blank_utf8("\xe2\x80\x8b"));  // zero-width space is not white space
    EXPECT_FALSE(is_blank_utf8("\x1f"));
}

TEST(Utf8, TrimRemovesUnicodeWhiteSpaceAtBothEndsOnly) {
    struct Case {
        std::string text;
        std::string trimmed;
    };
    const Case cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {"  a b  ", "a b"},
        {"\xc2\xa0x\xe3\x80\x80", "x"},                              // NBSP and ideographic space
        {"\xe2\x80\x8bx\xe2\x80\x8b", "\xe2\x80\x8bx\xe2\x80\x8b"},  // zero-width space kept
        {"\xc3\xa9 ", "\xc3\xa9"},  // a multi-byte letter before the space
        {" \xff ", "\xff"},         // invalid bytes stop the trim, not cut
        {"x\x80 ", "x\x80"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trim_unicode_whitespace(c.text), c.trimmed)
            << "input of " << c.text.size() << " bytes";
    }
}

}  // namespace
}  // namespace qx
