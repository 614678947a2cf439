// The bounded list of a session's most recent trades, oldest first. Storage grows with the list
// until the bound and is then reused as a ring, so a push onto a full list overwrites the oldest
// entry without moving the others or allocating.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qx {

struct RecentTrade {
    std::int64_t price = 0;
    std::int64_t size = 0;
    std::uint64_t ts_exchange_ns = 0;
};

class RecentTrades {
  public:
    static constexpr std::size_t kDefaultCapacity = 100000;

    RecentTrades() = default;
    explicit RecentTrades(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

    void push(const RecentTrade& trade);
    // Empties the list; the storage is kept for the next session.
    void clear() noexcept;

    std::size_t size() const noexcept { return items_.size(); }
    bool empty() const noexcept { return items_.empty(); }
    std::size_t capacity() const noexcept { return capacity_; }
    // The i-th entry from the oldest, i < size().
    const RecentTrade& operator[](std::size_t i) const noexcept {
        std::size_t at = head_ + i;
        if (at >= items_.size()) {
            at -= items_.size();
        }
        return items_[at];
    }
    const RecentTrade& newest() const noexcept { return (*this)[items_.size() - 1]; }

    // Calls f(entry) for every entry from the oldest to the newest.
    template <typename F>
    void for_each(F&& f) const {
        for (std::size_t i = head_; i < items_.size(); ++i) {
            f(items_[i]);
        }
        for (std::size_t i = 0; i < head_; ++i) {
            f(items_[i]);
        }
    }

  private:
    std::vector<RecentTrade> items_;
    std::size_t head_ = 0;  // position of the oldest entry once the list is full
    std::size_t capacity_ = kDefaultCapacity;
};

}  // namespace qx
