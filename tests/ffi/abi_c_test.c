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
    CHECK(sizeof(qx_market_data_wal_config_t) == 72);
    CHECK_LAYOUT(qx_market_data_wal_config_t, root_dir, 0);
    CHECK_LAYOUT(qx_market_data_wal_config_t, segment_target_bytes, 8);
    CHECK_LAYOUT(qx_market_data_wal_config_t, max_payload_bytes, 16);
    CHECK_LAYOUT(qx_market_data_wal_config_t, sync_mode, 24);
    CHECK_LAYOUT(qx_market_data_wal_config_t, sync_every_records, 32);
    CHECK_LAYOUT(qx_market_data_wal_config_t, sync_manifest, 40);
    CHECK_LAYOUT(qx_market_data_wal_config_t, queue_capacity, 44);
    CHECK_LAYOUT(qx_market_data_wal_config_t, queued_payload_capacity, 48);
    CHECK_LAYOUT(qx_market_data_wal_config_t, failure_action, 56);
    CHECK_LAYOUT(qx_market_data_wal_config_t, thread_name, 64);

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
    CHECK(sizeof(qx_concurrent_engine_config_t) == 12);
    CHECK_LAYOUT(qx_concurrent_engine_config_t, command_capacity, 0);
    CHECK_LAYOUT(qx_concurrent_engine_config_t, report_capacity, 4);
    CHECK_LAYOUT(qx_concurrent_engine_config_t, event_capacity, 8);
    CHECK(sizeof(qx_execution_command_report_t) == 24);
    CHECK_LAYOUT(qx_execution_command_report_t, command_id, 0);
    CHECK_LAYOUT(qx_execution_command_report_t, kind, 8);
    CHECK_LAYOUT(qx_execution_command_report_t, status, 12);
    CHECK_LAYOUT(qx_execution_command_report_t, event_count, 16);
    CHECK(sizeof(qx_twap_parent_order_t) == 128);
    CHECK_LAYOUT(qx_twap_parent_order_t, parent_order_id, 0);
    CHECK_LAYOUT(qx_twap_parent_order_t, account, 8);
    CHECK_LAYOUT(qx_twap_parent_order_t, route, 16);
    CHECK_LAYOUT(qx_twap_parent_order_t, tag, 24);
    CHECK_LAYOUT(qx_twap_parent_order_t, venue, 32);
    CHECK_LAYOUT(qx_twap_parent_order_t, symbol, 40);
    CHECK_LAYOUT(qx_twap_parent_order_t, side, 48);
    CHECK_LAYOUT(qx_twap_parent_order_t, order_type, 52);
    CHECK_LAYOUT(qx_twap_parent_order_t, time_in_force, 56);
    CHECK_LAYOUT(qx_twap_parent_order_t, quantity, 64);
    CHECK_LAYOUT(qx_twap_parent_order_t, limit_price, 72);
    CHECK_LAYOUT(qx_twap_parent_order_t, stop_price, 80);
    CHECK_LAYOUT(qx_twap_parent_order_t, start_ns, 88);
    CHECK_LAYOUT(qx_twap_parent_order_t, end_ns, 96);
    CHECK_LAYOUT(qx_twap_parent_order_t, min_child_qty, 104);
    CHECK_LAYOUT(qx_twap_parent_order_t, max_child_qty, 112);
    CHECK_LAYOUT(qx_twap_parent_order_t, slice_interval_ns, 120);
    CHECK(sizeof(qx_twap_child_plan_t) == 336);
    CHECK_LAYOUT(qx_twap_child_plan_t, slice_id, 0);
    CHECK_LAYOUT(qx_twap_child_plan_t, parent_order_id, 41);
    CHECK_LAYOUT(qx_twap_child_plan_t, client_order_id, 82);
    CHECK_LAYOUT(qx_twap_child_plan_t, account, 123);
    CHECK_LAYOUT(qx_twap_child_plan_t, route, 156);
    CHECK_LAYOUT(qx_twap_child_plan_t, tag, 189);
    CHECK_LAYOUT(qx_twap_child_plan_t, venue, 222);
    CHECK_LAYOUT(qx_twap_child_plan_t, symbol, 239);
    CHECK_LAYOUT(qx_twap_child_plan_t, side, 272);
    CHECK_LAYOUT(qx_twap_child_plan_t, order_type, 276);
    CHECK_LAYOUT(qx_twap_child_plan_t, time_in_force, 280);
    CHECK_LAYOUT(qx_twap_child_plan_t, quantity, 288);
    CHECK_LAYOUT(qx_twap_child_plan_t, limit_price, 296);
    CHECK_LAYOUT(qx_twap_child_plan_t, stop_price, 304);
    CHECK_LAYOUT(qx_twap_child_plan_t, planned_at_ns, 312);
    CHECK_LAYOUT(qx_twap_child_plan_t, ts_ns, 320);
    CHECK_LAYOUT(qx_twap_child_plan_t, has_plan, 328);
    CHECK(sizeof(qx_twap_progress_t) == 56);
    CHECK_LAYOUT(qx_twap_progress_t, total_qty, 0);
    CHECK_LAYOUT(qx_twap_progress_t, released_qty, 8);
    CHECK_LAYOUT(qx_twap_progress_t, filled_qty, 16);
    CHECK_LAYOUT(qx_twap_progress_t, outstanding_qty, 24);
    CHECK_LAYOUT(qx_twap_progress_t, rejected_children, 32);
    CHECK_LAYOUT(qx_twap_progress_t, terminal_children, 40);
    CHECK_LAYOUT(qx_twap_progress_t, has_pending, 48);
    CHECK(sizeof(qx_route_config_t) == 80);
    CHECK_LAYOUT(qx_route_config_t, route, 0);
    CHECK_LAYOUT(qx_route_config_t, account, 8);
    CHECK_LAYOUT(qx_route_config_t, venue, 16);
    CHECK_LAYOUT(qx_route_config_t, symbol, 24);
    CHECK_LAYOUT(qx_route_config_t, enabled, 32);
    CHECK_LAYOUT(qx_route_config_t, kill_switch, 33);
    CHECK_LAYOUT(qx_route_config_t, max_order_qty, 40);
    CHECK_LAYOUT(qx_route_config_t, max_order_notional, 48);
    CHECK_LAYOUT(qx_route_config_t, max_open_orders, 56);
    CHECK_LAYOUT(qx_route_config_t, max_open_notional, 64);
    CHECK_LAYOUT(qx_route_config_t, price_band, 72);
    CHECK(sizeof(qx_order_request_t) == 104);
    CHECK_LAYOUT(qx_order_request_t, client_order_id, 0);
    CHECK_LAYOUT(qx_order_request_t, account, 8);
    CHECK_LAYOUT(qx_order_request_t, route, 16);
    CHECK_LAYOUT(qx_order_request_t, tag, 24);
    CHECK_LAYOUT(qx_order_request_t, venue, 32);
    CHECK_LAYOUT(qx_order_request_t, symbol, 40);
    CHECK_LAYOUT(qx_order_request_t, side, 48);
    CHECK_LAYOUT(qx_order_request_t, order_type, 52);
    CHECK_LAYOUT(qx_order_request_t, time_in_force, 56);
    CHECK_LAYOUT(qx_order_request_t, quantity, 64);
    CHECK_LAYOUT(qx_order_request_t, limit_price, 72);
    CHECK_LAYOUT(qx_order_request_t, stop_price, 80);
    CHECK_LAYOUT(qx_order_request_t, origin_ts_ns, 88);
    CHECK_LAYOUT(qx_order_request_t, ts_ns, 96);
    CHECK(sizeof(qx_amend_request_t) == 80);
    CHECK_LAYOUT(qx_amend_request_t, client_order_id, 0);
    CHECK_LAYOUT(qx_amend_request_t, orig_client_order_id, 8);
    CHECK_LAYOUT(qx_amend_request_t, venue_order_id, 16);
    CHECK_LAYOUT(qx_amend_request_t, account, 24);
    CHECK_LAYOUT(qx_amend_request_t, route, 32);
    CHECK_LAYOUT(qx_amend_request_t, venue, 40);
    CHECK_LAYOUT(qx_amend_request_t, symbol, 48);
    CHECK_LAYOUT(qx_amend_request_t, new_quantity, 56);
    CHECK_LAYOUT(qx_amend_request_t, new_price, 64);
    CHECK_LAYOUT(qx_amend_request_t, ts_ns, 72);
    CHECK(sizeof(qx_cancel_request_t) == 64);
    CHECK_LAYOUT(qx_cancel_request_t, client_order_id, 0);
    CHECK_LAYOUT(qx_cancel_request_t, orig_client_order_id, 8);
    CHECK_LAYOUT(qx_cancel_request_t, venue_order_id, 16);
    CHECK_LAYOUT(qx_cancel_request_t, account, 24);
    CHECK_LAYOUT(qx_cancel_request_t, route, 32);
    CHECK_LAYOUT(qx_cancel_request_t, venue, 40);
    CHECK_LAYOUT(qx_cancel_request_t, symbol, 48);
    CHECK_LAYOUT(qx_cancel_request_t, ts_ns, 56);
    CHECK(sizeof(qx_execution_event_t) == 496);
    CHECK_LAYOUT(qx_execution_event_t, kind, 0);
    CHECK_LAYOUT(qx_execution_event_t, status, 4);
    CHECK_LAYOUT(qx_execution_event_t, client_order_id, 8);
    CHECK_LAYOUT(qx_execution_event_t, orig_client_order_id, 49);
    CHECK_LAYOUT(qx_execution_event_t, venue_order_id, 90);
    CHECK_LAYOUT(qx_execution_event_t, execution_id, 139);
    CHECK_LAYOUT(qx_execution_event_t, account, 188);
    CHECK_LAYOUT(qx_execution_event_t, route, 221);
    CHECK_LAYOUT(qx_execution_event_t, venue, 254);
    CHECK_LAYOUT(qx_execution_event_t, symbol, 271);
    CHECK_LAYOUT(qx_execution_event_t, last_qty, 304);
    CHECK_LAYOUT(qx_execution_event_t, last_price, 312);
    CHECK_LAYOUT(qx_execution_event_t, cum_qty, 320);
    CHECK_LAYOUT(qx_execution_event_t, leaves_qty, 328);
    CHECK_LAYOUT(qx_execution_event_t, avg_price, 336);
    CHECK_LAYOUT(qx_execution_event_t, origin_ts_ns, 344);
    CHECK_LAYOUT(qx_execution_event_t, ts_ns, 352);
    CHECK_LAYOUT(qx_execution_event_t, reject_reason, 360);
    CHECK_LAYOUT(qx_execution_event_t, text, 364);
    CHECK(sizeof(qx_order_state_t) == 256);
    CHECK_LAYOUT(qx_order_state_t, client_order_id, 0);
    CHECK_LAYOUT(qx_order_state_t, venue_order_id, 41);
    CHECK_LAYOUT(qx_order_state_t, account, 90);
    CHECK_LAYOUT(qx_order_state_t, route, 123);
    CHECK_LAYOUT(qx_order_state_t, venue, 156);
    CHECK_LAYOUT(qx_order_state_t, symbol, 173);
    CHECK_LAYOUT(qx_order_state_t, status, 208);
    CHECK_LAYOUT(qx_order_state_t, quantity, 216);
    CHECK_LAYOUT(qx_order_state_t, filled_qty, 224);
    CHECK_LAYOUT(qx_order_state_t, leaves_qty, 232);
    CHECK_LAYOUT(qx_order_state_t, avg_price, 240);
    CHECK_LAYOUT(qx_order_state_t, updated_ts_ns, 248);
    CHECK(sizeof(qx_execution_health_t) == 16);
    CHECK_LAYOUT(qx_execution_health_t, connected, 0);
    CHECK_LAYOUT(qx_execution_health_t, degraded, 1);
    CHECK_LAYOUT(qx_execution_health_t, connect_count, 8);
    CHECK(sizeof(qx_execution_metrics_t) == 40);
    CHECK_LAYOUT(qx_execution_metrics_t, orders_submitted, 0);
    CHECK_LAYOUT(qx_execution_metrics_t, cancels_sent, 8);
    CHECK_LAYOUT(qx_execution_metrics_t, amends_sent, 16);
    CHECK_LAYOUT(qx_execution_metrics_t, events_applied, 24);
    CHECK_LAYOUT(qx_execution_metrics_t, risk_rejects, 32);
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
    {
        qx_route_config_t route = {"r1", "acct", "CME", "ESZ6", 1, 0, 0, 0, 0, 0, 0};
        qx_order_request_t order = {"o-1", "acct", "r1", NULL, "CME", "ESZ6", 1,
                                    2,     1,      10,   4500, 0,     0,      1000};
        qx_concurrent_engine_config_t config = {4, 4, 0};
        qx_concurrent_execution_engine_t* engine = NULL;
        qx_execution_command_report_t report;
        qx_execution_event_t events[2];
        uint32_t count = 2;
        uint64_t id = 0;
        qx_status_t st;
        CHECK(qx_execution_concurrent_engine_create_multi(&route, 1, &config, &engine) ==
              QX_STATUS_OK);
        CHECK(qx_execution_concurrent_submit_order(engine, &order, &id) == QX_STATUS_OK);
        CHECK(id == 1);
        CHECK(qx_execution_concurrent_stop(engine, &id) == QX_STATUS_OK);
        CHECK(id == 2);
        do { /* the worker answers shortly */
            count = 2;
            st = qx_execution_concurrent_try_recv_report(engine, &report, events, &count);
        } while (st == QX_STATUS_CAPACITY && count == 2);
        CHECK(st == QX_STATUS_OK && report.command_id == 1 && report.kind == 1);
        CHECK(report.status == 0 && report.event_count == 2 && events[1].kind == 3);
        qx_execution_concurrent_engine_destroy(engine);
        qx_execution_concurrent_engine_destroy(NULL);
    }
    {
        qx_twap_parent_order_t parent = {"p-1", "acct", "r1", NULL, "CME", "ESZ6", 1,   1,  1,
                                         10,    0,      0,    0,    300,   1,      100, 100};
        qx_twap_algo_t* algo = NULL;
        qx_twap_child_plan_t plan;
        qx_twap_progress_t progress;
        CHECK(qx_execution_twap_algo_create(&parent, &algo) == QX_STATUS_OK);
        CHECK(qx_execution_twap_algo_plan(algo, 0, "s-1", "c-1", 5, &plan) == QX_STATUS_OK);
        CHECK(plan.has_plan == 1 && plan.quantity == 4 && strcmp(plan.client_order_id, "c-1") == 0);
        CHECK(qx_execution_twap_algo_commit_pending(algo) == QX_STATUS_OK);
        CHECK(qx_execution_twap_algo_record_execution(algo, 4, 0, 4) == QX_STATUS_OK);
        CHECK(qx_execution_twap_algo_progress(algo, &progress) == QX_STATUS_OK);
        CHECK(progress.released_qty == 4 && progress.filled_qty == 4 && progress.has_pending == 0);
        qx_execution_twap_algo_destroy(algo);
    }
    {
        qx_route_config_t route = {"r1", "acct", "CME", "ESZ6", 1, 0, 0, 0, 0, 0, 0};
        qx_order_request_t order = {"o-1", "acct", "r1", NULL, "CME", "ESZ6", 1, 2, 1,
                                    10,    4500,   0,    0,    1000};
        qx_execution_engine_t* engine = NULL;
        qx_execution_event_t events[2];
        qx_order_state_t state;
        qx_execution_metrics_t metrics;
        uint32_t count = 2;
        CHECK(qx_execution_engine_create(&route, &engine) == QX_STATUS_OK);
        CHECK(qx_execution_submit_order(engine, &order, events, &count) == QX_STATUS_REFUSED);
        CHECK(qx_execution_engine_start(engine) == QX_STATUS_OK);
        count = 2;
        CHECK(qx_execution_submit_order(engine, &order, events, &count) == QX_STATUS_OK);
        CHECK(count == 2 && events[0].kind == 1 && events[1].kind == 3);
        CHECK(strcmp(events[1].execution_id, "SIMX-1") == 0);
        CHECK(qx_execution_get_order_state(engine, "o-1", &state) == QX_STATUS_OK);
        CHECK(state.status == 4 && state.filled_qty == 10);
        CHECK(qx_execution_metrics(engine, &metrics) == QX_STATUS_OK);
        CHECK(metrics.orders_submitted == 1 && metrics.events_applied == 2);
        qx_execution_engine_destroy(engine);
        qx_execution_engine_destroy(NULL);
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
