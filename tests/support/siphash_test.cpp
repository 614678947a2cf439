#include <gtest/gtest.h>

#include <string>

#include "support/siphash.h"

namespace qx {
namespace {

std::string bytes_0_to(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        s.push_back(static_cast<char>(i));
    }
    return s;
}

TEST(SipHash, MatchesThePublishedSipHash24Vector) {
    // The example of the SipHash paper: key 00..0f, message 00..0e.
    const SipHashKey key{0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL};
    EXPECT_EQ(siphash24(bytes_0_to(15), key), 0xa129ca6149be45e5ULL);
}

TEST(SipHash, OneThreeVariantWithZeroKey) {
    // Digests computed with an independent implementation; lengths cover the empty message, a
    // partial block, exactly one block and a block plus a tail.
    EXPECT_EQ(siphash13(""), 0xd1fba762150c532cULL);
    EXPECT_EQ(siphash13(bytes_0_to(7)), 0x2f098ab0c751325aULL);
    EXPECT_EQ(siphash13(bytes_0_to(8)), 0xead411e67ebe2eeaULL);
    EXPECT_EQ(siphash13(bytes_0_to(9)), 0x75927f9d95124362ULL);
}

}  // namespace
}  // namespace qx
