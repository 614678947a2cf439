// Point of control and value area: the tie rules on small hand-made profiles, and a cross-check
// of the ordered profile (both its direct walk and its tree search) against a sort-based
// reference on thousands of random trades.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <unordered_map>
#include <vector>

#include "core/analytics_accumulator.h"
#include "core/volume_profile.h"

namespace qx {
namespace {

// The value area exactly as described for the accumulator: sort the prices, pick the point of
// control, then grow toward the larger neighbour (ties down) until 70 % is covered.
struct Reference {
    std::unordered_map<std::int64_t, std::int64_t> volume;
    ValueArea last;

    void add(std::int64_t price, std::int64_t size) {
        volume[price] += size;
        std::int64_t total = 0;
        std::vector<std::int64_t> prices;
        for (const auto& [p, v] : volume) {
            total += v;
            prices.push_back(p);
        }
        if (total <= 0) {
            return;
        }
        std::sort(prices.begin(), prices.end());
        std::size_t poc = 0;
        for (std::size_t i = 1; i < prices.size(); ++i) {
            if (volume[prices[i]] >= volume[prices[poc]]) {
                poc = i;
            }
        }
        const auto target = static_cast<std::int64_t>(std::ceil(static_cast<double>(total) * 0.7));
        std::int64_t covered = volume[prices[poc]];
        std::size_t lo = poc;
        std::size_t hi = poc;
        while (covered < target) {
            const bool lower = lo > 0;
            const bool upper = hi + 1 < prices.size();
            if (!lower && !upper) {
                break;
            }
            if (upper && (!lower || volume[prices[hi + 1]] > volume[prices[lo - 1]])) {
                covered += std::max<std::int64_t>(volume[prices[++hi]], 0);
            } else {
                covered += std::max<std::int64_t>(volume[prices[--lo]], 0);
            }
        }
        last = {prices[poc], prices[lo], prices[hi]};
    }
};

// Builds a profile from (price, volume) pairs in the given order.
VolumeProfile profile_of(VolumeProfile::Tuning tuning,
                         std::initializer_list<std::pair<std::int64_t, std::int64_t>> entries) {
    VolumeProfile p(tuning);
    for (const auto& [price, v] : entries) {
        p.add(price, v);
    }
    return p;
}

class BothSearches : public ::testing::TestWithParam<VolumeProfile::Tuning> {};

TEST_P(BothSearches, TieRulesOnSmallProfiles) {
    struct Case {
        const char* name;
        std::initializer_list<std::pair<std::int64_t, std::int64_t>> entries;
        ValueArea expected;
    };
    const Case cases[] = {
        {"single trade", {{100, 5}}, {100, 100, 100}},
        {"equal neighbours go down", {{99, 20}, {100, 40}, {101, 20}}, {100, 99, 100}},
        {"equal volumes pick the highest price", {{100, 10}, {101, 10}}, {101, 100, 101}},
        {"strictly larger upper neighbour goes up",
         {{99, 20}, {100, 40}, {101, 21}},
         {100, 100, 101}},
        {"exhausted lower side takes the upper",
         {{100, 50}, {101, 10}, {102, 40}},
         {100, 100, 102}},
        {"hidden larger volume behind a small one",
         {{97, 30}, {98, 1}, {100, 40}, {101, 5}, {102, 4}},
         {100, 97, 102}},
        {"zero and negative volumes add nothing",
         {{98, 30}, {99, -5}, {100, 40}, {101, 0}},
         {100, 98, 101}},
        {"negative volumes lower the target",
         {{98, 1}, {99, -50}, {100, 100}, {101, -20}},
         {100, 100, 100}},
        {"whole profile, top price as point of control",
         {{99, 10}, {100, 10}, {101, 10}},
         {101, 99, 101}},
    };
    for (const Case& c : cases) {
        VolumeProfile p = profile_of(GetParam(), c.entries);
        ValueArea got;
        ASSERT_TRUE(p.value_area(got)) << c.name;
        EXPECT_EQ(got, c.expected)
            << c.name << ": got " << got.point_of_control << " " << got.low << ".." << got.high;
    }
}

TEST_P(BothSearches, NoValueAreaWithoutPositiveTotal) {
    ValueArea got{1, 2, 3};
    VolumeProfile empty(GetParam());
    EXPECT_FALSE(empty.value_area(got));
    VolumeProfile zero = profile_of(GetParam(), {{100, 5}, {101, -5}});
    EXPECT_FALSE(zero.value_area(got));
    VolumeProfile negative = profile_of(GetParam(), {{100, -1}});
    EXPECT_FALSE(negative.value_area(got));
    EXPECT_EQ(got, (ValueArea{1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(WalkAndTree, BothSearches,
                         ::testing::Values(VolumeProfile::kAlwaysWalk, VolumeProfile::kAlwaysTree));

// Random trades against the reference after every single trade.
struct RandomCase {
    const char* name;
    VolumeProfile::Tuning tuning;
    int trades;
    std::int64_t price_span;  // prices drift within [1000, 1000 + span)
    std::int64_t min_size;
    std::int64_t max_size;
};

void cross_check(const RandomCase& rc, std::uint32_t seed) {
    std::mt19937_64 rng(seed);
    AnalyticsAccumulator acc(RecentTrades::kDefaultCapacity, rc.tuning);
    Reference ref;
    std::int64_t mid = 1000 + rc.price_span / 2;
    std::uniform_int_distribution<std::int64_t> size_dist(rc.min_size, rc.max_size);
    std::normal_distribution<double> noise(0, static_cast<double>(rc.price_span) / 8 + 1);
    for (int i = 0; i < rc.trades; ++i) {
        mid += static_cast<std::int64_t>(rng() % 3) - 1;
        mid = std::clamp<std::int64_t>(mid, 1000, 1000 + rc.price_span - 1);
        const std::int64_t price = std::clamp<std::int64_t>(mid + std::llround(noise(rng)), 1000,
                                                            1000 + rc.price_span - 1);
        const std::int64_t size = size_dist(rng);
        acc.on_trade(price, size, rng() % 2 ? Side::Ask : Side::Bid, static_cast<std::uint64_t>(i));
        ref.add(price, size);
        const ValueArea got{acc.point_of_control(), acc.value_area_low(), acc.value_area_high()};
        ASSERT_EQ(got, ref.last) << rc.name << " seed " << seed << " trade " << i << ": got "
                                 << got.point_of_control << " " << got.low << ".." << got.high
                                 << ", expected " << ref.last.point_of_control << " "
                                 << ref.last.low << ".." << ref.last.high << " over "
                                 << acc.profile().distinct_prices() << " prices";
    }
}

TEST(VolumeProfileCrossCheck, MatchesSortedReference) {
    const RandomCase cases[] = {
        {"walk, narrow", VolumeProfile::kAlwaysWalk, 3000, 40, 1, 3},
        {"tree, narrow, many ties", VolumeProfile::kAlwaysTree, 3000, 40, 1, 2},
        {"tree, wide", VolumeProfile::kAlwaysTree, 3000, 600, 1, 50},
        {"default switching, wide", {}, 4000, 3000, 1, 9},
        {"tree built late, switching on width", {100, 20}, 3000, 300, 1, 5},
        {"walk with zero and negative sizes", VolumeProfile::kAlwaysWalk, 3000, 60, -3, 6},
        {"tree with zero and negative sizes", VolumeProfile::kAlwaysTree, 3000, 300, -4, 6},
    };
    for (const RandomCase& rc : cases) {
        for (std::uint32_t seed : {1u, 2u, 3u}) {
            cross_check(rc, seed);
        }
    }
}

}  // namespace
}  // namespace qx
