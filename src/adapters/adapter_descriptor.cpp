#include "adapters/adapter_descriptor.h"

#include "support/json_writer.h"

namespace qx {
namespace {

constexpr ProviderKind kAllProviders[] = {ProviderKind::Mock, ProviderKind::Rithmic,
                                          ProviderKind::Cqg, ProviderKind::Binance};

// Every provider polls and carries trades and level-2 books; only the mock replays, and none of
// the live-feed capabilities is present in this build.
AdapterDescriptor base_row(ProviderKind provider) {
    AdapterDescriptor d;
    d.provider = provider;
    d.supports_trades = true;
    d.supports_order_book = true;
    d.supports_level2 = true;
    d.supports_polling = true;
    return d;
}

void write_descriptor(JsonWriter& w, const AdapterDescriptor& d,
                      std::optional<ProviderKind> active) {
    w.begin_object();
    w.key("provider").string(provider_keyword(d.provider));
    w.key("provider_id").string(d.provider_id);
    w.key("display_name").string(d.display_name);
    w.key("feature");
    if (d.feature) {
        w.string(*d.feature);
    } else {
        w.null();
    }
    w.key("compiled").boolean(d.compiled);
    w.key("quality").string(adapter_quality_text(d.quality));
    w.key("supports_live").boolean(d.supports_live);
    w.key("supports_replay").boolean(d.supports_replay);
    w.key("supports_trades").boolean(d.supports_trades);
    w.key("supports_order_book").boolean(d.supports_order_book);
    w.key("supports_level2").boolean(d.supports_level2);
    w.key("supports_reconnect").boolean(d.supports_reconnect);
    w.key("supports_gap_recovery").boolean(d.supports_gap_recovery);
    w.key("supports_backpressure").boolean(d.supports_backpressure);
    w.key("supports_raw_capture").boolean(d.supports_raw_capture);
    w.key("supports_fixture_replay").boolean(d.supports_fixture_replay);
    w.key("supports_stale_detection").boolean(d.supports_stale_detection);
    w.key("supports_latency_metrics").boolean(d.supports_latency_metrics);
    w.key("supports_polling").boolean(d.supports_polling);
    w.key("active").boolean(active.has_value() && *active == d.provider);
    w.key("notes").string(d.notes);
    w.end_object();
}

}  // namespace

AdapterDescriptor describe_adapter(ProviderKind provider) {
    AdapterDescriptor d = base_row(provider);
    switch (provider) {
        case ProviderKind::Mock:
            d.provider_id = "mock";
            d.display_name = "Mock";
            d.compiled = true;
            d.quality = AdapterQuality::Simulation;
            d.supports_replay = true;
            d.notes = "deterministic in-memory adapter for tests, demos, and replay harnesses";
            break;
        case ProviderKind::Rithmic:
            d.provider_id = "rithmic";
            d.display_name = "Rithmic";
            d.feature = "rithmic";
            d.quality = AdapterQuality::Scaffold;
            d.notes =
                "feature-gated futures adapter scaffold; validate venue behavior before live "
                "capital use";
            break;
        case ProviderKind::Cqg:
            d.provider_id = "cqg";
            d.display_name = "CQG";
            d.feature = "cqg";
            d.quality = AdapterQuality::Functional;
            d.notes = "feature-gated CQG adapter with reconnect/resubscribe hardening";
            break;
        case ProviderKind::Binance:
            d.provider_id = "binance";
            d.display_name = "Binance";
            d.feature = "binance";
            d.quality = AdapterQuality::Scaffold;
            d.notes =
                "feature-gated crypto adapter with websocket trade/depth parsing, reconnects, gap "
                "detection, bounded backpressure, raw capture, and fixture replay";
            break;
    }
    return d;
}

std::string format_adapter_descriptor_json(const AdapterDescriptor& d,
                                           std::optional<ProviderKind> active) {
    JsonWriter w(768);
    write_descriptor(w, d, active);
    return std::move(w).take();
}

std::string format_adapter_inventory_json(std::optional<ProviderKind> active) {
    JsonWriter w(3200);
    w.begin_object();
    w.key("schema_version").u64(1);
    w.key("adapters").begin_array();
    for (const ProviderKind p : kAllProviders) {
        write_descriptor(w, describe_adapter(p), active);
    }
    w.end_array();
    w.key("compiled_count").u64(1);
    w.key("total_count").u64(4);
    w.end_object();
    return std::move(w).take();
}

std::string adapter_inventory_json() {
    return format_adapter_inventory_json(std::nullopt);
}

}  // namespace qx
