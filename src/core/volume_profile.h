// The volume traded at each price of a session, kept ordered by price as it is built, with the
// point of control and the 70 % value area derived from it after every trade.
//
// Point of control: the price with the largest volume; among equal volumes the highest price.
// Value area: starting from the point of control, the range grows one price at a time toward
// the side whose next price has the larger volume (the lower side on ties, the remaining side
// when one is exhausted), adding max(volume, 0), until the covered volume reaches
// ceil(total * 0.7) or every price is taken.
//
// A narrow value area is found by running that walk directly. Profiles with many prices also
// keep a segment tree that answers the same question in polylogarithmic time, used while the
// value area is wide: growing toward the larger neighbour takes prices in the same order as
// growing toward the larger running minimum of each side (the smallest volume met so far from
// the point of control outward), and those running minima never increase, so the stopping
// point can be found by binary search instead of a walk. Both give identical results; the
// choice between them is only a matter of speed.
//
// A trade at a known price updates one entry in place (with a logarithmic tree update when the
// tree is kept). A price seen for the first time is inserted in order, moving the higher prices
// up by one: the only step whose cost grows linearly with the profile, and it happens once per
// distinct price.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/profile_tree.h"

namespace qx {

// Prices, not positions: the value area's bounds and its point of control.
struct ValueArea {
    std::int64_t point_of_control = 0;
    std::int64_t low = 0;
    std::int64_t high = 0;

    friend bool operator==(const ValueArea&, const ValueArea&) = default;
};

class VolumeProfile {
  public:
    struct Tuning {
        // Profiles with at least this many distinct prices keep the segment tree.
        std::size_t tree_from_prices = 192;
        // With a tree, the walk still runs while the previous value area spanned at most this
        // many prices (it is cheaper there).
        std::size_t walk_up_to_width = 384;
    };
    // Forces the tree search on every profile (tests) or the walk on every profile.
    static constexpr Tuning kAlwaysTree{0, 0};
    static constexpr Tuning kAlwaysWalk{static_cast<std::size_t>(-1), static_cast<std::size_t>(-1)};

    VolumeProfile() = default;
    explicit VolumeProfile(Tuning tuning) : tuning_(tuning) {}

    // Adds `size` (which may be zero or negative) to the volume at `price`, creating the price
    // at volume 0 first when it is new.
    void add(std::int64_t price, std::int64_t size);
    void clear() noexcept;

    std::size_t distinct_prices() const noexcept { return prices_.size(); }
    // Sum of all volumes, wrapping like plain 64-bit arithmetic.
    std::int64_t total() const noexcept { return total_; }
    std::int64_t volume_at(std::int64_t price) const noexcept;
    const std::vector<std::int64_t>& prices() const noexcept { return prices_; }
    const std::vector<std::int64_t>& volumes() const noexcept { return volumes_; }

    // The point of control and value area for the current volumes, or false when the total is
    // not positive (the caller then keeps its previous values). Not const: it remembers the
    // width found, which picks the faster method next time.
    bool value_area(ValueArea& out) noexcept;

  private:
    std::size_t locate(std::int64_t price) const noexcept;  // lower bound of price
    void rescan_max() noexcept;
    // Counts of prices taken below and above the point of control.
    void walk(std::int64_t target, std::size_t& below, std::size_t& above) const noexcept;
    void search(std::int64_t target, std::size_t& below, std::size_t& above) const noexcept;

    std::vector<std::int64_t> prices_;   // ascending
    std::vector<std::int64_t> volumes_;  // volumes_[i] is traded at prices_[i]
    std::int64_t total_ = 0;
    std::size_t max_index_ = 0;  // position of the point of control when not empty
    std::size_t last_index_ = 0;
    std::size_t last_width_ = 0;  // prices in the last value area computed
    Tuning tuning_;
    ProfileTree tree_;
};

}  // namespace qx
