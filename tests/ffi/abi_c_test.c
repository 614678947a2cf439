/* Checks the public header from plain C99: record sizes and field offsets for x86-64, and a
 * few calls through the shared library. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "qx/qx.h"

static int failures = 0;

#define CHECK(cond)                                                                  \
    do {                                                                             \
        if (!(cond)) {                                                               \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                              \
        }                                                                            \
    } while (0)

#define CHECK_LAYOUT(type, field, offset) CHECK(offsetof(type, field) == (offset))

static void check_layouts(void) {
    CHECK(sizeof(qx_status_t) == 4);
    CHECK(sizeof(qx_symbol_ref_t) == 24);
    CHECK_LAYOUT(qx_symbol_ref_t, venue, 0);
    CHECK_LAYOUT(qx_symbol_ref_t, symbol, 8);
    CHECK_LAYOUT(qx_symbol_ref_t, depth_levels, 16);
    /* @@QX_ABI_LAYOUTS@@ later record layouts are checked here */

    CHECK(sizeof(qx_engine_config_t) == 64);
    CHECK_LAYOUT(qx_engine_config_t, instance_id, 0);
    CHECK_LAYOUT(qx_engine_config_t, config_path, 8);
    CHECK_LAYOUT(qx_engine_config_t, enable_persistence, 16);
    CHECK_LAYOUT(qx_engine_config_t, audit_max_bytes, 24);
    CHECK_LAYOUT(qx_engine_config_t, audit_max_files, 32);
    CHECK_LAYOUT(qx_engine_config_t, audit_redact_tokens, 40);
    CHECK_LAYOUT(qx_engine_config_t, data_retention_max_bytes, 48);
    CHECK_LAYOUT(qx_engine_config_t, data_retention_max_age_secs, 56);

    CHECK(sizeof(qx_trade_t) == 72);
    CHECK_LAYOUT(qx_trade_t, symbol, 0);
    CHECK_LAYOUT(qx_trade_t, price, 24);
    CHECK_LAYOUT(qx_trade_t, size, 32);
    CHECK_LAYOUT(qx_trade_t, aggressor, 40);
    CHECK_LAYOUT(qx_trade_t, sequence, 48);
    CHECK_LAYOUT(qx_trade_t, ts_exchange_ns, 56);
    CHECK_LAYOUT(qx_trade_t, ts_recv_ns, 64);

    CHECK(sizeof(qx_book_update_t) == 80);
    CHECK_LAYOUT(qx_book_update_t, symbol, 0);
    CHECK_LAYOUT(qx_book_update_t, side, 24);
    CHECK_LAYOUT(qx_book_update_t, level, 28);
    CHECK_LAYOUT(qx_book_update_t, price, 32);
    CHECK_LAYOUT(qx_book_update_t, size, 40);
    CHECK_LAYOUT(qx_book_update_t, action, 48);
    CHECK_LAYOUT(qx_book_update_t, sequence, 56);
    CHECK_LAYOUT(qx_book_update_t, ts_exchange_ns, 64);
    CHECK_LAYOUT(qx_book_update_t, ts_recv_ns, 72);

    CHECK(sizeof(qx_external_feed_config_t) == 16);
    CHECK_LAYOUT(qx_external_feed_config_t, stale_after_ms, 0);
    CHECK_LAYOUT(qx_external_feed_config_t, enforce_sequence, 8);

    CHECK(sizeof(qx_callback_event_t) == 48);
    CHECK_LAYOUT(qx_callback_event_t, ts_exchange_ns, 0);
    CHECK_LAYOUT(qx_callback_event_t, ts_recv_ns, 8);
    CHECK_LAYOUT(qx_callback_event_t, kind, 16);
    CHECK_LAYOUT(qx_callback_event_t, json, 24);
    CHECK_LAYOUT(qx_callback_event_t, json_len, 32);
    CHECK_LAYOUT(qx_callback_event_t, reserved, 36);
    CHECK_LAYOUT(qx_callback_event_t, quality_flags, 40);

    CHECK(sizeof(qx_analytics_config_t) == 88);
    CHECK_LAYOUT(qx_analytics_config_t, institutional_min_size, 0);
    CHECK_LAYOUT(qx_analytics_config_t, book_event_window_ns, 8);
    CHECK_LAYOUT(qx_analytics_config_t, vpin_bucket_volume, 16);
    CHECK_LAYOUT(qx_analytics_config_t, vpin_window, 20);
    CHECK_LAYOUT(qx_analytics_config_t, regime_window, 72);
    CHECK_LAYOUT(qx_analytics_config_t, book_event_capacity, 76);
    CHECK_LAYOUT(qx_analytics_config_t, spread_window, 80);
    CHECK(sizeof(qx_signal_config_parameter_t) == 48);
    CHECK_LAYOUT(qx_signal_config_parameter_t, name, 0);
    CHECK_LAYOUT(qx_signal_config_parameter_t, kind, 8);
    CHECK_LAYOUT(qx_signal_config_parameter_t, integer_value, 16);
    CHECK_LAYOUT(qx_signal_config_parameter_t, float_value, 24);
    CHECK_LAYOUT(qx_signal_config_parameter_t, boolean_value, 32);
    CHECK_LAYOUT(qx_signal_config_parameter_t, text_value, 40);
    CHECK(sizeof(qx_signal_replay_event_t) == 80);
    CHECK_LAYOUT(qx_signal_replay_event_t, delta, 0);
    CHECK_LAYOUT(qx_signal_replay_event_t, cumulative_delta, 8);
    CHECK_LAYOUT(qx_signal_replay_event_t, buy_volume, 16);
    CHECK_LAYOUT(qx_signal_replay_event_t, sell_volume, 24);
    CHECK_LAYOUT(qx_signal_replay_event_t, last_price, 32);
    CHECK_LAYOUT(qx_signal_replay_event_t, point_of_control, 40);
    CHECK_LAYOUT(qx_signal_replay_event_t, value_area_low, 48);
    CHECK_LAYOUT(qx_signal_replay_event_t, value_area_high, 56);
    CHECK_LAYOUT(qx_signal_replay_event_t, ts_exchange_ns, 64);
    CHECK_LAYOUT(qx_signal_replay_event_t, has_ts_exchange_ns, 72);
    CHECK(sizeof(qx_signal_replay_config_t) == 24);
    CHECK_LAYOUT(qx_signal_replay_config_t, markout_horizon_events, 0);
    CHECK_LAYOUT(qx_signal_replay_config_t, flat_price_threshold, 8);
    CHECK_LAYOUT(qx_signal_replay_config_t, min_confidence_bps, 16);
    CHECK_LAYOUT(qx_signal_replay_config_t, store_samples, 18);
    CHECK_LAYOUT(qx_signal_replay_config_t, check_monotonic_timestamps, 19);
}

static void check_calls(void) {
    const char* info = qx_build_info();
    CHECK(qx_api_version() == 65536u);
    CHECK(qx_execution_api_version() == 65536u);
    CHECK(info != NULL && strcmp(info, "qx_ffi_c/0.5.0") == 0);
    CHECK(qx_build_info() == info);
    qx_string_free(NULL);
    /* @@QX_ABI_CALLS@@ later calls are checked here */
    {
        char* inventory = NULL;
        uint32_t inventory_len = 0;
        CHECK(qx_get_adapter_inventory_json(&inventory, &inventory_len) == QX_STATUS_OK);
        CHECK(inventory != NULL && strlen(inventory) == inventory_len);
        CHECK(inventory != NULL && strncmp(inventory, "{\"schema_version\":1,", 20) == 0);
        qx_string_free(inventory);
        CHECK(qx_get_adapter_inventory_json(NULL, &inventory_len) == QX_STATUS_INVALID_ARGUMENT);
        char* json = NULL;
        uint32_t len = 0;
        qx_signal_config_parameter_t threshold;
        qx_signal_replay_event_t events[2];
        qx_signal_replay_config_t config;
        memset(&threshold, 0, sizeof threshold);
        threshold.name = "threshold";
        threshold.kind = QX_SIGNAL_PARAMETER_INTEGER;
        threshold.integer_value = 100;
        CHECK(qx_get_signal_descriptors_json(&json, &len) == QX_STATUS_OK);
        CHECK(json != NULL && strlen(json) == len);
        qx_string_free(json);
        CHECK(qx_validate_signal_config_json("delta_momentum_v1", &threshold, 1, &json, &len) ==
              QX_STATUS_OK);
        CHECK(json != NULL && strstr(json, "\"valid\":true") != NULL);
        qx_string_free(json);
        memset(events, 0, sizeof events);
        memset(&config, 0, sizeof config);
        events[0].delta = 150;
        events[0].last_price = 100;
        events[1].last_price = 101;
        config.markout_horizon_events = 1;
        CHECK(qx_validate_signal_replay_json("delta_momentum_v1", &threshold, 1, events, 2, &config,
                                             &json, &len) == QX_STATUS_OK);
        CHECK(json != NULL && strstr(json, "\"directional_accuracy_bps\":10000") != NULL);
        qx_string_free(json);
    }
}

int main(void) {
    check_layouts();
    check_calls();
    if (failures != 0) {
        fprintf(stderr, "%d ABI checks failed\n", failures);
        return 1;
    }
    return 0;
}
