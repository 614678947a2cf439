#include "core/volume_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "support/wrapping.h"

namespace qx {
namespace {

using Wide = __int128;

std::int64_t positive_part(std::int64_t v) noexcept {
    return v > 0 ? v : 0;
}

// ceil(total * 0.7) as a signed 64-bit integer, saturating; NaN cannot occur for an integer
// total but maps to 0 like any other unrepresentable value below the range.
std::int64_t value_area_target(std::int64_t total) noexcept {
    const double t = std::ceil(static_cast<double>(total) * 0.7);
    if (std::isnan(t)) {
        return 0;
    }
    if (t >= 9223372036854775807.0) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (t <= -9223372036854775808.0) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(t);
}

}  // namespace

std::size_t VolumeProfile::locate(std::int64_t price) const noexcept {
    return static_cast<std::size_t>(std::lower_bound(prices_.begin(), prices_.end(), price) -
                                    prices_.begin());
}

std::int64_t VolumeProfile::volume_at(std::int64_t price) const noexcept {
    const std::size_t i = locate(price);
    return i < prices_.size() && prices_[i] == price ? volumes_[i] : 0;
}

void VolumeProfile::add(std::int64_t price, std::int64_t size) {
    std::size_t i = last_index_;
    bool inserted = false;
    if (i >= prices_.size() || prices_[i] != price) {
        i = locate(price);
        if (i == prices_.size() || prices_[i] != price) {
            const bool was_empty = prices_.empty();
            prices_.insert(prices_.begin() + static_cast<std::ptrdiff_t>(i), price);
            volumes_.insert(volumes_.begin() + static_cast<std::ptrdiff_t>(i), 0);
            if (!was_empty && max_index_ >= i) {
                ++max_index_;
            }
            if (was_empty) {
                max_index_ = 0;
            }
            inserted = true;
        }
    }
    last_index_ = i;
    const std::int64_t before = volumes_[i];
    const std::int64_t after = wrapping_add(before, size);
    volumes_[i] = after;
    total_ = wrapping_add(total_, size);

    if (i == max_index_) {
        if (after < before) {
            rescan_max();
        }
    } else if (after > volumes_[max_index_] || (after == volumes_[max_index_] && i > max_index_)) {
        max_index_ = i;
    }

    const std::size_t n = prices_.size();
    if (tree_.active()) {
        if (inserted) {
            tree_.refresh_from(volumes_.data(), i, n);
        } else {
            tree_.set(i, after);
        }
    } else if (n >= tuning_.tree_from_prices) {
        tree_.build(volumes_.data(), n);
    }
}

void VolumeProfile::clear() noexcept {
    prices_.clear();
    volumes_.clear();
    total_ = 0;
    max_index_ = 0;
    last_index_ = 0;
    last_width_ = 0;
    tree_.clear();
}

void VolumeProfile::rescan_max() noexcept {
    std::size_t best = 0;
    for (std::size_t i = 1; i < volumes_.size(); ++i) {
        if (volumes_[i] >= volumes_[best]) {
            best = i;
        }
    }
    max_index_ = best;
}

bool VolumeProfile::value_area(ValueArea& out) noexcept {
    if (prices_.empty() || total_ <= 0) {
        return false;
    }
    const std::int64_t target = value_area_target(total_);
    std::size_t below = 0;
    std::size_t above = 0;
    if (tree_.active() && last_width_ >= tuning_.walk_up_to_width) {
        search(target, below, above);
    } else {
        walk(target, below, above);
    }
    last_width_ = below + above + 1;
    const std::size_t c = max_index_;
    out.point_of_control = prices_[c];
    out.low = prices_[c - below];
    out.high = prices_[c + above];
    return true;
}

void VolumeProfile::walk(std::int64_t target, std::size_t& below,
                         std::size_t& above) const noexcept {
    const std::size_t c = max_index_;
    const std::size_t n = volumes_.size();
    Wide covered = volumes_[c];
    std::size_t lo = c;
    std::size_t hi = c;
    while (covered < target) {
        const bool lower = lo > 0;
        const bool upper = hi + 1 < n;
        if (!lower && !upper) {
            break;
        }
        if (upper && (!lower || volumes_[hi + 1] > volumes_[lo - 1])) {
            ++hi;
            covered += positive_part(volumes_[hi]);
        } else {
            --lo;
            covered += positive_part(volumes_[lo]);
        }
    }
    below = c - lo;
    above = hi - c;
}

// With la prices taken below the point of control, the walk takes upper prices while the
// running minimum of the upper side stays above the running minimum of the lower side up to
// and including its next candidate. So the state "la below, as many above as precede the next
// lower price" has a covered volume F(la) that never decreases with la; the walk stops in the
// first la whose F reaches the target, and within it at the first upper count that does.
void VolumeProfile::search(std::int64_t target, std::size_t& below,
                           std::size_t& above) const noexcept {
    const std::size_t c = max_index_;
    const std::size_t n = volumes_.size();
    const std::size_t lower_count = c;
    const std::size_t upper_count = n - 1 - c;
    const Wide vc = volumes_[c];
    below = 0;
    above = 0;
    if (vc >= target) {
        return;
    }

    const auto sum_below = [&](std::size_t la) -> Wide {
        return la == 0 ? 0 : static_cast<Wide>(tree_.range_positive_sum(c - la, c - 1));
    };
    const auto sum_above = [&](std::size_t ub) -> Wide {
        return ub == 0 ? 0 : static_cast<Wide>(tree_.range_positive_sum(c + 1, c + ub));
    };
    // Upper prices taken before the (la + 1)-th lower price.
    const auto uppers_before = [&](std::size_t la) -> std::size_t {
        if (la == lower_count || upper_count == 0) {
            return upper_count;
        }
        const std::int64_t head_min = tree_.range_min(c - la - 1, c - 1);
        const std::size_t j = tree_.first_at_most(c + 1, head_min);
        return j == ProfileTree::npos ? upper_count : j - (c + 1);
    };
    const auto covered_at = [&](std::size_t la) -> Wide {
        return vc + sum_below(la) + sum_above(uppers_before(la));
    };

    if (covered_at(lower_count) < target) {
        below = lower_count;
        above = upper_count;
        return;
    }
    std::size_t lo = 0;
    std::size_t hi = lower_count;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (covered_at(mid) >= target) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    const std::size_t la = lo;
    below = la;
    const Wide base = vc + sum_below(la);
    if (la > 0) {
        const std::size_t first_upper = uppers_before(la - 1);
        if (base + sum_above(first_upper) >= target) {
            above = first_upper;
            return;
        }
    }
    const Wide need = static_cast<Wide>(target) - base;
    const Wide cap = std::numeric_limits<std::uint64_t>::max();
    const std::size_t j =
        tree_.first_covering(c + 1, static_cast<std::uint64_t>(need < cap ? need : cap));
    above = j == ProfileTree::npos ? upper_count : j - c;
}

}  // namespace qx
