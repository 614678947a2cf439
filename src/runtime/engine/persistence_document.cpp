#include "runtime/engine/persistence_document.h"

#include "support/json_writer.h"

namespace qx {

const std::string& disabled_market_data_persistence_json() {
    static const std::string text = [] {
        JsonWriter w;
        w.begin_object();
        w.key("schema_version").u64(1);
        w.key("mode").string("disabled");
        w.key("enabled").boolean(false);
        w.key("degraded").boolean(false);
        w.key("memory_only").boolean(false);
        w.key("failure_action").string("mark_degraded");
        w.key("blocks_trading").boolean(false);
        for (const char* key :
             {"accepted_records", "written_records", "abandoned_records", "records_lag",
              "event_time_lag_ns", "latest_accepted_ts_recv_ns", "latest_written_ts_recv_ns",
              "queue_depth", "queue_capacity", "queue_high_watermark", "queued_payload_bytes",
              "queued_payload_capacity", "queued_payload_high_watermark", "rejected_records",
              "write_failures", "sync_failures"}) {
            w.key(key).u64(0);
        }
        w.key("last_written_sequence").null();
        w.key("last_durable_sequence").null();
        w.key("last_error").null();
        w.end_object();
        return std::move(w).take();
    }();
    return text;
}

}  // namespace qx
