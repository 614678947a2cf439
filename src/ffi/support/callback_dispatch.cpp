#include "ffi/support/callback_dispatch.h"

#include <algorithm>

#include "runtime/engine/event_json.h"

namespace qx::ffi {
namespace {

bool is_active(const SubscriptionRecord& r) {
    return r.active->load(std::memory_order_acquire);
}

void call(const SubscriptionRecord& r, const std::string& json, std::uint64_t ts_exchange_ns,
          std::uint64_t ts_recv_ns, QualityFlags flags) {
    qx_callback_event_t event;
    event.ts_exchange_ns = ts_exchange_ns;
    event.ts_recv_ns = ts_recv_ns;
    event.kind = static_cast<std::uint32_t>(r.kind);
    event.json = json.data();
    event.json_len = static_cast<std::uint32_t>(json.size());
    event.reserved = 1;
    event.quality_flags = flags;
    r.callback(&event, r.user_data);
}

const SymbolId& event_symbol(const RawEvent& e) {
    return e.symbol();
}

// Delivers the health document when the engine's health sequence moved for this record.
void deliver_health(const Engine& engine, SubscriptionRecord& r, std::string& scratch,
                    QualityFlags flags) {
    const std::uint64_t seq = engine.health_seq();
    if (seq == r.last_health_seq) {
        return;
    }
    r.last_health_seq = seq;
    scratch.clear();
    engine.append_health_json(scratch);
    call(r, scratch, 0, 0, flags);
}

}  // namespace

void purge_inactive(qx_engine& handle) {
    auto& subs = handle.subscriptions;
    subs.erase(std::remove_if(subs.begin(), subs.end(),
                              [](const SubscriptionRecord& r) { return !is_active(r); }),
               subs.end());
}

void dispatch_callbacks(qx_engine& handle, QualityFlags flags) {
    purge_inactive(handle);
    const Engine& engine = *handle.engine;
    const std::vector<RawEvent>& batch = engine.event_batch();
    std::string& scratch = handle.scratch;
    // Indexes, not iterators: a callback may only flip flags, but the walk stays memory-safe
    // whatever it does.
    for (std::size_t i = 0; i < handle.subscriptions.size(); ++i) {
        SubscriptionRecord& r = handle.subscriptions[i];
        if (!is_active(r)) {
            continue;
        }
        const SymbolView symbol = r.symbol.view();
        switch (r.kind) {
            case QX_CALLBACK_BOOK_UPDATE:
            case QX_CALLBACK_TRADE: {
                const bool want_trade = r.kind == QX_CALLBACK_TRADE;
                for (const RawEvent& e : batch) {
                    if (e.is_trade() != want_trade || !(event_symbol(e).view() == symbol)) {
                        continue;
                    }
                    scratch.clear();
                    if (want_trade) {
                        append_trade_json(scratch, *e.as_trade());
                        call(r, scratch, e.as_trade()->ts_exchange_ns, e.as_trade()->ts_recv_ns,
                             flags);
                    } else {
                        append_book_update_json(scratch, *e.as_book());
                        call(r, scratch, e.as_book()->ts_exchange_ns, e.as_book()->ts_recv_ns,
                             flags);
                    }
                    if (!is_active(r)) {
                        break;
                    }
                }
                break;
            }
            case QX_CALLBACK_ANALYTICS:
                scratch.clear();
                engine.append_analytics_json(symbol, scratch);
                call(r, scratch, 0, 0, flags);
                break;
            case QX_CALLBACK_SIGNAL:
                scratch.clear();
                engine.append_signal_json(symbol, scratch);
                call(r, scratch, 0, 0, flags);
                break;
            case QX_CALLBACK_HEALTH:
                deliver_health(engine, r, scratch, flags);
                break;
            case QX_CALLBACK_BOOK_SNAPSHOT:
            case QX_CALLBACK_DERIVED_ANALYTICS: {
                const bool want_trade = r.kind == QX_CALLBACK_DERIVED_ANALYTICS;
                const RawEvent* last = nullptr;
                for (const RawEvent& e : batch) {
                    if (e.is_trade() == want_trade && event_symbol(e).view() == symbol) {
                        last = &e;
                    }
                }
                if (last == nullptr) {
                    break;
                }
                scratch.clear();
                std::uint64_t ts_exchange = 0;
                std::uint64_t ts_recv = 0;
                if (want_trade) {
                    engine.append_derived_analytics_json(symbol, scratch);
                    ts_exchange = last->as_trade()->ts_exchange_ns;
                    ts_recv = last->as_trade()->ts_recv_ns;
                } else {
                    engine.append_book_snapshot_json(symbol, scratch);
                    ts_exchange = last->as_book()->ts_exchange_ns;
                    ts_recv = last->as_book()->ts_recv_ns;
                }
                call(r, scratch, ts_exchange, ts_recv, flags);
                break;
            }
            default:
                scratch.assign("{}");
                call(r, scratch, 0, 0, flags);
                break;
        }
    }
}

void dispatch_health_callbacks(qx_engine& handle, QualityFlags flags) {
    purge_inactive(handle);
    for (std::size_t i = 0; i < handle.subscriptions.size(); ++i) {
        SubscriptionRecord& r = handle.subscriptions[i];
        if (r.kind == QX_CALLBACK_HEALTH && is_active(r)) {
            deliver_health(*handle.engine, r, handle.scratch, flags);
        }
    }
}

}  // namespace qx::ffi
