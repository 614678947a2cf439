// Market-data write-ahead-log persistence: configure, flush, health document, shut down.
#include <memory>
#include <optional>

#include "ffi/support/delivery.h"
#include "ffi/support/engine_handle.h"
#include "ffi/support/guard.h"
#include "ffi/support/text_args.h"
#include "persist/market_data_writer/writer.h"
#include "qx/qx.h"

namespace {

using qx::persist::MarketDataWalSyncPolicy;

std::optional<MarketDataWalSyncPolicy> sync_policy_from_ffi(uint32_t mode, uint64_t every) {
    switch (mode) {
        case 0:
            return MarketDataWalSyncPolicy::on_seal();
        case 1:
            return MarketDataWalSyncPolicy::never();
        case 2:
            return MarketDataWalSyncPolicy::every_record();
        case 3:
            if (every == 0) {
                return std::nullopt;
            }
            return MarketDataWalSyncPolicy::every_n_records(every);
        default:
            return std::nullopt;
    }
}

}  // namespace

extern "C" {

QX_API qx_status_t qx_configure_market_data_wal(qx_engine_t* engine,
                                                const qx_market_data_wal_config_t* config) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || config == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto root = qx::ffi::non_empty_string(config->root_dir);
        if (!root) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto policy = sync_policy_from_ffi(config->sync_mode, config->sync_every_records);
        if (!policy) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        qx::persist::SegmentedMarketDataWalConfig log;
        log.segment_root = std::move(*root);
        if (config->segment_target_bytes != 0) {
            log.segment_byte_target = config->segment_target_bytes;
        }
        if (config->max_payload_bytes != 0) {
            log.max_payload_bytes = config->max_payload_bytes;
        }
        log.sync_policy = *policy;
        log.sync_manifest = config->sync_manifest != 0;
        qx::persist::BoundedMarketDataWriterConfig writer;
        if (config->queue_capacity != 0) {
            writer.queue_capacity = config->queue_capacity;
        }
        if (config->queued_payload_capacity != 0) {
            writer.queued_payload_capacity = config->queued_payload_capacity;
        }
        if (auto name = qx::ffi::non_empty_string(config->thread_name)) {
            writer.thread_name = std::move(*name);
        }
        if (config->failure_action > 4) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        if (engine->engine->market_data_persistence() != nullptr) {
            return QX_STATUS_REFUSED;
        }
        auto started = qx::persist::BoundedMarketDataWalWriter::start(std::move(log), writer);
        if (!started) {
            return QX_STATUS_IO;
        }
        auto producer = started->producer();
        engine->engine->install_market_data_persistence(
            std::make_unique<qx::RuntimeMarketDataPersistence>(
                std::move(producer), std::move(*started),
                static_cast<qx::MarketDataFailureAction>(config->failure_action)));
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_flush_market_data_wal(qx_engine_t* engine) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        qx::RuntimeMarketDataPersistence* p = engine->engine->market_data_persistence_mut();
        if (p == nullptr || !p->has_writer()) {
            return QX_STATUS_REFUSED;
        }
        return p->flush() ? QX_STATUS_OK : QX_STATUS_IO;
    });
}

QX_API qx_status_t qx_get_market_data_persistence_health_json(const qx_engine_t* engine,
                                                              char** out_json, uint32_t* out_len) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || out_json == nullptr || out_len == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return qx::ffi::deliver_string(engine->engine->market_data_persistence_json(), out_json,
                                       out_len);
    });
}

QX_API qx_status_t qx_shutdown_market_data_wal(qx_engine_t* engine) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        std::unique_ptr<qx::RuntimeMarketDataPersistence> p =
            engine->engine->detach_market_data_persistence();
        if (p == nullptr) {
            return QX_STATUS_OK;
        }
        if (p->has_writer()) {
            if (!p->shutdown_writer()) {
                return QX_STATUS_IO;
            }
        }
        engine->engine->update_health_state(engine->engine->current_flags());
        return QX_STATUS_OK;
    });
}

}  // extern "C"
