#include "core/recent_trades.h"

namespace qx {

void RecentTrades::push(const RecentTrade& trade) {
    if (items_.size() < capacity_) {
        items_.push_back(trade);
        return;
    }
    items_[head_] = trade;
    ++head_;
    if (head_ == items_.size()) {
        head_ = 0;
    }
}

void RecentTrades::clear() noexcept {
    items_.clear();
    head_ = 0;
}

}  // namespace qx
