// Engine lifecycle, host-push ingest, subscriptions, session reset and external-feed exports.
#include <memory>
#include <new>

#include "ffi/support/callback_dispatch.h"
#include "ffi/support/engine_config_record.h"
#include "ffi/support/engine_handle.h"
#include "ffi/support/guard.h"
#include "ffi/support/text_args.h"
#include "qx/qx.h"

using qx::ffi::guarded;

namespace {

// Fills `out` from the host's symbol reference, reusing out's string storage.
bool assign_symbol(const qx_symbol_ref_t& ref, qx::SymbolId& out) {
    const auto view = qx::ffi::symbol_view_from_ffi_ref(&ref);
    if (!view) {
        return false;
    }
    out.venue.assign(view->id.venue);
    out.symbol.assign(view->id.symbol);
    return true;
}

// Conversion scratch kept per thread so that pushing an event allocates nothing in steady state.
thread_local qx::TradePrint t_trade;
thread_local qx::BookUpdate t_update;

}  // namespace

extern "C" {

QX_API qx_status_t qx_engine_create(const qx_engine_config_t* config, qx_engine_t** out_engine) {
    return guarded([&]() -> qx_status_t {
        if (config == nullptr || out_engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto engine_config = qx::ffi::engine_config_from_record(*config);
        if (!engine_config) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto engine = qx::Engine::build_default_engine(std::move(*engine_config));
        if (!engine) {
            return QX_STATUS_REFUSED;
        }
        auto handle = std::make_unique<qx_engine>();
        handle->engine = std::move(*engine);
        *out_engine = handle.release();
        return QX_STATUS_OK;
    });
}

QX_API void qx_engine_destroy(qx_engine_t* engine) {
    qx::ffi::guarded_void([&] { delete engine; });
}

QX_API qx_status_t qx_engine_start(qx_engine_t* engine) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return engine->engine->start() ? QX_STATUS_OK : QX_STATUS_REFUSED;
    });
}

QX_API qx_status_t qx_engine_stop(qx_engine_t* engine) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        engine->engine->stop();
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_ingest_trade(qx_engine_t* engine, const qx_trade_t* trade, uint32_t flags) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr || trade == nullptr ||
            !assign_symbol(trade->symbol, t_trade.symbol)) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        if (trade->aggressor > 1) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        t_trade.price = trade->price;
        t_trade.size = trade->size;
        t_trade.aggressor = trade->aggressor == 1 ? qx::Side::Ask : qx::Side::Bid;
        t_trade.sequence = trade->sequence;
        t_trade.ts_exchange_ns = trade->ts_exchange_ns;
        t_trade.ts_recv_ns = trade->ts_recv_ns;
        if (!engine->engine->ingest_trade(t_trade, flags)) {
            return QX_STATUS_REFUSED;
        }
        qx::ffi::dispatch_callbacks(*engine, engine->engine->current_flags());
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_ingest_book(qx_engine_t* engine, const qx_book_update_t* update,
                                  uint32_t flags) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr || update == nullptr ||
            !assign_symbol(update->symbol, t_update.symbol)) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        if (update->side > 1 || update->action > 1) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        t_update.side = update->side == 1 ? qx::Side::Ask : qx::Side::Bid;
        t_update.level = update->level;
        t_update.price = update->price;
        t_update.size = update->size;
        t_update.action = update->action == 1 ? qx::BookAction::Delete : qx::BookAction::Upsert;
        t_update.sequence = update->sequence;
        t_update.ts_exchange_ns = update->ts_exchange_ns;
        t_update.ts_recv_ns = update->ts_recv_ns;
        if (!engine->engine->ingest_book(t_update, flags)) {
            return QX_STATUS_REFUSED;
        }
        qx::ffi::dispatch_callbacks(*engine, engine->engine->current_flags());
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_subscribe(qx_engine_t* engine, const qx_symbol_ref_t* symbol, int32_t kind,
                                qx_callback_fn callback, void* user_data,
                                qx_subscription_t** out_subscription) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr || symbol == nullptr || out_subscription == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto resolved = qx::ffi::symbol_from_ffi_ref(symbol);
        if (!resolved) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        // Everything that can fail to allocate is made before the engine is changed.
        auto handle = std::make_unique<qx_subscription>();
        handle->active = std::make_shared<std::atomic<bool>>(true);
        qx::ffi::SubscriptionRecord record{resolved->id, callback, handle->active,
                                           user_data,    0,        kind};
        if (callback != nullptr) {
            engine->subscriptions.reserve(engine->subscriptions.size() + 1);
        }
        if (!engine->engine->subscribe({resolved->id, resolved->depth_levels})) {
            return QX_STATUS_REFUSED;
        }
        if (callback != nullptr) {
            engine->subscriptions.push_back(std::move(record));
        }
        *out_subscription = handle.release();
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_unsubscribe(qx_subscription_t* subscription) {
    return guarded([&]() -> qx_status_t {
        if (subscription == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        subscription->active->store(false, std::memory_order_release);
        delete subscription;
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_unsubscribe_symbol(qx_engine_t* engine, const qx_symbol_ref_t* symbol) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr || symbol == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto resolved = qx::ffi::symbol_from_ffi_ref(symbol);
        if (!resolved) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        if (!engine->engine->unsubscribe_symbol(resolved->id)) {
            return QX_STATUS_REFUSED;
        }
        for (qx::ffi::SubscriptionRecord& r : engine->subscriptions) {
            if (r.symbol == resolved->id) {
                r.active->store(false, std::memory_order_release);
            }
        }
        qx::ffi::purge_inactive(*engine);
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_reset_symbol_session(qx_engine_t* engine, const qx_symbol_ref_t* symbol) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr || symbol == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto view = qx::ffi::symbol_view_from_ffi_ref(symbol);
        if (!view) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return engine->engine->reset_symbol_session(view->id) ? QX_STATUS_OK : QX_STATUS_REFUSED;
    });
}

QX_API qx_status_t qx_configure_external_feed(qx_engine_t* engine,
                                              const qx_external_feed_config_t* config) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr || config == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        if (!engine->engine->configure_external_feed(config->stale_after_ms,
                                                     config->enforce_sequence != 0)) {
            return QX_STATUS_REFUSED;
        }
        qx::ffi::dispatch_health_callbacks(*engine, engine->engine->current_flags());
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_external_health_tick(qx_engine_t* engine) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        if (!engine->engine->external_health_tick()) {
            return QX_STATUS_REFUSED;
        }
        qx::ffi::dispatch_health_callbacks(*engine, engine->engine->current_flags());
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_external_set_reconnecting(qx_engine_t* engine, uint8_t reconnecting) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        if (!engine->engine->set_reconnecting(reconnecting != 0)) {
            return QX_STATUS_REFUSED;
        }
        qx::ffi::dispatch_health_callbacks(*engine, engine->engine->current_flags());
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_engine_poll_once(qx_engine_t* engine, uint32_t flags) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto polled = engine->engine->poll_once(flags);
        if (!polled && !polled.error().is_backpressure()) {
            return QX_STATUS_REFUSED;
        }
        qx::ffi::dispatch_callbacks(*engine, engine->engine->current_flags());
        return polled ? QX_STATUS_OK : QX_STATUS_CAPACITY;
    });
}

QX_API qx_status_t qx_engine_set_analytics_config(qx_engine_t* engine,
                                                  const qx_analytics_config_t* config) {
    return guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        engine->engine->set_analytics_config(qx::analytics_config_from_ffi(config));
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_engine_set_tickbar_interval(qx_engine_t* engine, uint64_t /*interval_ns*/) {
    return engine == nullptr ? QX_STATUS_INVALID_ARGUMENT : QX_STATUS_REFUSED;
}

QX_API qx_status_t qx_get_bar_series(qx_engine_t* engine, const qx_symbol_ref_t* symbol, void* buf,
                                     uint32_t* len) {
    if (engine == nullptr || symbol == nullptr || buf == nullptr || len == nullptr) {
        return QX_STATUS_INVALID_ARGUMENT;
    }
    return QX_STATUS_REFUSED;
}

}  // extern "C"
