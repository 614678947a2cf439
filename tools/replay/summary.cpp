#include "replay/summary.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace replay {
namespace {

using nlohmann::ordered_json;

// Parses a document the library produced; one that is not valid JSON (a non-finite number,
// say) is kept as its text.
ordered_json parse_doc(const std::string& text) {
    ordered_json doc = ordered_json::parse(text, nullptr, false);
    if (doc.is_discarded()) {
        return text;
    }
    return doc;
}

// Runs a caller-buffer query: asks for the size with an empty buffer, then fetches.
ordered_json buffer_query(const std::function<qx_status_t(void*, uint32_t*)>& query) {
    std::vector<char> buf(256);
    for (int attempt = 0; attempt < 3; ++attempt) {
        uint32_t len = static_cast<uint32_t>(buf.size());
        const qx_status_t status = query(buf.data(), &len);
        if (status == QX_STATUS_OK) {
            return parse_doc(std::string(buf.data(), len));
        }
        if (len <= buf.size()) {
            return nullptr;
        }
        buf.resize(len);
    }
    return nullptr;
}

ordered_json string_query(const std::function<qx_status_t(char**, uint32_t*)>& query) {
    char* out = nullptr;
    uint32_t len = 0;
    if (query(&out, &len) != QX_STATUS_OK) {
        return nullptr;
    }
    ordered_json doc = parse_doc(std::string(out, len));
    qx_string_free(out);
    return doc;
}

std::string scalar_text(const ordered_json& v) {
    if (v.is_string()) {
        return v.get<std::string>();
    }
    return v.dump();
}

void print_section(const char* name, const ordered_json& doc) {
    std::printf("  %-10s", name);
    if (!doc.is_object() || doc.empty()) {
        std::printf(" -\n");
        return;
    }
    int column = 12;
    for (const auto& [key, value] : doc.items()) {
        const std::string item = key + "=" + scalar_text(value);
        if (column + item.size() + 1 > 100 && column > 12) {
            std::printf("\n%12s", "");
            column = 12;
        }
        std::printf(" %s", item.c_str());
        column += static_cast<int>(item.size()) + 1;
    }
    std::printf("\n");
}

}  // namespace

ordered_json build_summary(qx_engine_t* engine, const std::vector<Instrument>& instruments,
                           const RunFigures& figures) {
    ordered_json summary;
    summary["events"] = figures.events;
    summary["refused_events"] = figures.refused;
    summary["skipped_rows"] = figures.skipped_rows;
    summary["seconds"] = figures.seconds;
    summary["events_per_second"] =
        figures.seconds > 0 ? static_cast<double>(figures.events) / figures.seconds : 0.0;
    ordered_json list = ordered_json::array();
    for (const Instrument& inst : instruments) {
        const qx_symbol_ref_t ref{inst.venue.c_str(), inst.symbol.c_str(), 0};
        ordered_json entry;
        entry["venue"] = inst.venue;
        entry["symbol"] = inst.symbol;
        entry["book_updates"] = inst.book_updates;
        entry["trades"] = inst.trades;
        entry["book"] = buffer_query([&](void* b, uint32_t* l) {
            return qx_get_book_analytics_snapshot(engine, &ref, b, l);
        });
        entry["trade_flow"] = buffer_query(
            [&](void* b, uint32_t* l) { return qx_get_analytics_snapshot(engine, &ref, b, l); });
        entry["derived"] = buffer_query([&](void* b, uint32_t* l) {
            return qx_get_derived_analytics_snapshot(engine, &ref, b, l);
        });
        entry["session_candle"] = buffer_query([&](void* b, uint32_t* l) {
            return qx_get_session_candle_snapshot(engine, &ref, b, l);
        });
        entry["signal"] = buffer_query(
            [&](void* b, uint32_t* l) { return qx_get_signal_snapshot(engine, &ref, b, l); });
        entry["explanation"] = string_query([&](char** o, uint32_t* l) {
            return qx_get_signal_explanation_json(engine, &ref, o, l);
        });
        list.push_back(std::move(entry));
    }
    summary["instruments"] = std::move(list);
    summary["signal_metrics"] = string_query(
        [&](char** o, uint32_t* l) { return qx_get_signal_metrics_json(engine, o, l); });
    summary["metrics"] =
        string_query([&](char** o, uint32_t* l) { return qx_get_metrics_json(engine, o, l); });
    return summary;
}

void print_summary(const ordered_json& summary) {
    std::printf(
        "\nreplayed %llu events in %.3f s (%.0f events/s); %llu refused, %llu rows skipped\n",
        static_cast<unsigned long long>(summary["events"].get<std::uint64_t>()),
        summary["seconds"].get<double>(), summary["events_per_second"].get<double>(),
        static_cast<unsigned long long>(summary["refused_events"].get<std::uint64_t>()),
        static_cast<unsigned long long>(summary["skipped_rows"].get<std::uint64_t>()));
    for (const auto& inst : summary["instruments"]) {
        std::printf("\n%s/%s: %llu book updates, %llu trades\n",
                    inst["venue"].get<std::string>().c_str(),
                    inst["symbol"].get<std::string>().c_str(),
                    static_cast<unsigned long long>(inst["book_updates"].get<std::uint64_t>()),
                    static_cast<unsigned long long>(inst["trades"].get<std::uint64_t>()));
        print_section("book", inst["book"]);
        print_section("flow", inst["trade_flow"]);
        print_section("derived", inst["derived"]);
        print_section("candle", inst["session_candle"]);
        print_section("signal", inst["signal"]);
        const ordered_json& ex = inst["explanation"];
        if (ex.is_object() && ex.contains("reason_code")) {
            ordered_json brief;
            brief["reason_code"] = ex["reason_code"];
            for (const char* list : {"inputs", "thresholds"}) {
                if (!ex.contains(list) || !ex[list].is_array()) {
                    continue;
                }
                for (const auto& item : ex[list]) {
                    if (item.contains("name") && item.contains("value")) {
                        brief[item["name"].get<std::string>()] = item["value"];
                    }
                }
            }
            print_section("why", brief);
        }
    }
    std::printf("\nengine\n");
    print_section("signals", summary["signal_metrics"]);
    const ordered_json& m = summary["metrics"];
    if (m.is_object()) {
        ordered_json brief;
        for (const char* key : {"instance_id", "processed_events", "symbols", "health_seq",
                                "runtime_health_status", "quality_flags"}) {
            if (m.contains(key)) {
                brief[key] = m[key];
            }
        }
        print_section("metrics", brief);
    }
}

}  // namespace replay
