// A segment tree over the volumes of an ordered volume profile. It answers, in logarithmic time,
// the three questions the value-area search asks: the smallest volume in a range of prices, the
// sum of the positive volumes in a range, and the first price from a position on whose volume is
// at most a limit or at which the positive volumes summed from that position reach a need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qx {

class ProfileTree {
  public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Rebuilds the tree over volumes[0, n).
    void build(const std::int64_t* volumes, std::size_t n);
    // Positions [first, n) hold new values (an insertion shifted them); n may have grown.
    void refresh_from(const std::int64_t* volumes, std::size_t first, std::size_t n);
    // Position i changed to `volume`.
    void set(std::size_t i, std::int64_t volume) noexcept;
    void clear() noexcept;

    bool active() const noexcept { return leaves_ != 0; }
    std::size_t size() const noexcept { return n_; }

    // Smallest volume over positions [l, r], l <= r < size().
    std::int64_t range_min(std::size_t l, std::size_t r) const noexcept;
    // Sum of max(volume, 0) over [l, r], saturating at the largest unsigned 64-bit value.
    std::uint64_t range_positive_sum(std::size_t l, std::size_t r) const noexcept;
    // Smallest j in [l, size()) with volume[j] <= limit, or npos.
    std::size_t first_at_most(std::size_t l, std::int64_t limit) const noexcept;
    // Smallest j in [l, size()) with range_positive_sum(l, j) >= need, or npos.
    std::size_t first_covering(std::size_t l, std::uint64_t need) const noexcept;

  private:
    void pull(std::size_t node) noexcept;
    std::size_t find_at_most(std::size_t node, std::size_t lo, std::size_t hi, std::size_t l,
                             std::int64_t limit) const noexcept;
    std::size_t find_covering(std::size_t node, std::size_t lo, std::size_t hi, std::size_t l,
                              std::uint64_t need, std::uint64_t& acc) const noexcept;

    std::size_t n_ = 0;       // positions in use
    std::size_t leaves_ = 0;  // power of two >= n_, 0 when inactive
    std::vector<std::int64_t> min_;
    std::vector<std::uint64_t> sum_;
};

}  // namespace qx
