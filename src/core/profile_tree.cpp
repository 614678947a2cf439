#include "core/profile_tree.h"

#include <algorithm>
#include <limits>

#include "support/saturating.h"

namespace qx {
namespace {

constexpr std::int64_t kNoVolume = std::numeric_limits<std::int64_t>::max();

std::uint64_t positive_part(std::int64_t v) noexcept {
    return v > 0 ? static_cast<std::uint64_t>(v) : 0;
}

}  // namespace

void ProfileTree::pull(std::size_t node) noexcept {
    min_[node] = std::min(min_[2 * node], min_[2 * node + 1]);
    sum_[node] = sat_add(sum_[2 * node], sum_[2 * node + 1]);
}

void ProfileTree::build(const std::int64_t* volumes, std::size_t n) {
    std::size_t leaves = 1;
    while (leaves < n) {
        leaves *= 2;
    }
    leaves_ = leaves;
    n_ = n;
    min_.assign(2 * leaves, kNoVolume);
    sum_.assign(2 * leaves, 0);
    for (std::size_t i = 0; i < n; ++i) {
        min_[leaves + i] = volumes[i];
        sum_[leaves + i] = positive_part(volumes[i]);
    }
    for (std::size_t node = leaves - 1; node >= 1; --node) {
        pull(node);
    }
}

void ProfileTree::refresh_from(const std::int64_t* volumes, std::size_t first, std::size_t n) {
    if (n > leaves_ || !active()) {
        build(volumes, n);
        return;
    }
    n_ = n;
    if (first >= n) {
        return;
    }
    for (std::size_t i = first; i < n; ++i) {
        min_[leaves_ + i] = volumes[i];
        sum_[leaves_ + i] = positive_part(volumes[i]);
    }
    std::size_t lo = (leaves_ + first) / 2;
    std::size_t hi = (leaves_ + n - 1) / 2;
    while (lo >= 1) {
        for (std::size_t node = lo; node <= hi; ++node) {
            pull(node);
        }
        lo /= 2;
        hi /= 2;
    }
}

void ProfileTree::set(std::size_t i, std::int64_t volume) noexcept {
    std::size_t node = leaves_ + i;
    min_[node] = volume;
    sum_[node] = positive_part(volume);
    for (node /= 2; node >= 1; node /= 2) {
        pull(node);
    }
}

void ProfileTree::clear() noexcept {
    n_ = 0;
    leaves_ = 0;
    min_.clear();
    sum_.clear();
}

std::int64_t ProfileTree::range_min(std::size_t l, std::size_t r) const noexcept {
    std::int64_t result = kNoVolume;
    for (std::size_t lo = l + leaves_, hi = r + leaves_ + 1; lo < hi; lo /= 2, hi /= 2) {
        if (lo & 1) {
            result = std::min(result, min_[lo++]);
        }
        if (hi & 1) {
            result = std::min(result, min_[--hi]);
        }
    }
    return result;
}

std::uint64_t ProfileTree::range_positive_sum(std::size_t l, std::size_t r) const noexcept {
    std::uint64_t result = 0;
    for (std::size_t lo = l + leaves_, hi = r + leaves_ + 1; lo < hi; lo /= 2, hi /= 2) {
        if (lo & 1) {
            result = sat_add(result, sum_[lo++]);
        }
        if (hi & 1) {
            result = sat_add(result, sum_[--hi]);
        }
    }
    return result;
}

std::size_t ProfileTree::find_at_most(std::size_t node, std::size_t lo, std::size_t hi,
                                      std::size_t l, std::int64_t limit) const noexcept {
    if (hi <= l || lo >= n_ || min_[node] > limit) {
        return npos;
    }
    if (hi - lo == 1) {
        return lo;
    }
    const std::size_t mid = lo + (hi - lo) / 2;
    const std::size_t left = find_at_most(2 * node, lo, mid, l, limit);
    return left != npos ? left : find_at_most(2 * node + 1, mid, hi, l, limit);
}

std::size_t ProfileTree::first_at_most(std::size_t l, std::int64_t limit) const noexcept {
    if (l >= n_) {
        return npos;
    }
    return find_at_most(1, 0, leaves_, l, limit);
}

std::size_t ProfileTree::find_covering(std::size_t node, std::size_t lo, std::size_t hi,
                                       std::size_t l, std::uint64_t need,
                                       std::uint64_t& acc) const noexcept {
    if (hi <= l || lo >= n_) {
        return npos;
    }
    if (lo >= l) {
        const std::uint64_t with_node = sat_add(acc, sum_[node]);
        if (with_node < need) {
            acc = with_node;
            return npos;
        }
        if (hi - lo == 1) {
            return lo;
        }
    }
    const std::size_t mid = lo + (hi - lo) / 2;
    const std::size_t left = find_covering(2 * node, lo, mid, l, need, acc);
    return left != npos ? left : find_covering(2 * node + 1, mid, hi, l, need, acc);
}

std::size_t ProfileTree::first_covering(std::size_t l, std::uint64_t need) const noexcept {
    if (l >= n_) {
        return npos;
    }
    std::uint64_t acc = 0;
    return find_covering(1, 0, leaves_, l, need, acc);
}

}  // namespace qx
