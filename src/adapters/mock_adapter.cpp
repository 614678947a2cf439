#include "adapters/mock_adapter.h"

#include <algorithm>
#include <iterator>

namespace qx {

Expected<void, AdapterError> MockAdapter::connect() {
    connected_ = true;
    return {};
}

Expected<void, AdapterError> MockAdapter::subscribe(const SubscribeReq& req) {
    if (!connected_) {
        return Unexpected(AdapterError::disconnected());
    }
    subscriptions_.push_back(req);
    return {};
}

Expected<void, AdapterError> MockAdapter::unsubscribe(const SymbolId& symbol) {
    if (!connected_) {
        return Unexpected(AdapterError::disconnected());
    }
    std::erase_if(subscriptions_, [&](const SubscribeReq& s) { return s.symbol == symbol; });
    return {};
}

Expected<std::size_t, AdapterError> MockAdapter::poll(std::vector<RawEvent>& out) {
    if (!connected_) {
        return Unexpected(AdapterError::disconnected());
    }
    const std::size_t n = pending_.size();
    out.insert(out.end(), std::make_move_iterator(pending_.begin()),
               std::make_move_iterator(pending_.end()));
    pending_.clear();
    return n;
}

MarketDataAdapterHealth MockAdapter::health() const {
    MarketDataAdapterHealth h;
    h.connected = connected_;
    h.protocol_info = "mock_adapter";
    return h;
}

AdapterOperationalStatus MockAdapter::operational_status() const {
    AdapterOperationalStatus s;
    s.mode = AdapterMode::Mock;
    s.connection_state =
        connected_ ? AdapterConnectionState::Streaming : AdapterConnectionState::Disconnected;
    std::vector<SymbolId> symbols;
    symbols.reserve(subscriptions_.size());
    for (const SubscribeReq& req : subscriptions_) {
        symbols.push_back(req.symbol);
    }
    s.with_subscribed_symbols(std::move(symbols));
    s.queue_depth = pending_.size();
    return s;
}

}  // namespace qx
