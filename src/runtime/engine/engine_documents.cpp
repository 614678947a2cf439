// Per-instrument documents shared by the callbacks and the queries, and the signal metrics.
#include "runtime/engine/engine.h"
#include "runtime/engine/trade_flow_json.h"
#include "support/json_writer.h"
#include "support/saturating.h"

namespace qx {

void Engine::append_analytics_json(SymbolView symbol, std::string& out) const {
    const InstrumentState* state = find(symbol);
    if (state == nullptr || !state->accumulator) {
        out += "{}";
        return;
    }
    append_analytics_snapshot_json(out, state->accumulator->snapshot());
}

void Engine::append_derived_analytics_json(SymbolView symbol, std::string& out) const {
    const InstrumentState* state = find(symbol);
    if (state == nullptr || !state->accumulator) {
        out += "{}";
        return;
    }
    append_derived_analytics_json_doc(out, state->accumulator->derived_analytics());
}

void Engine::append_signal_json(SymbolView symbol, std::string& out) const {
    const InstrumentState* state = find(symbol);
    if (state == nullptr || !state->signal) {
        out += "{}";
        return;
    }
    append_signal_snapshot_json(out, *state->signal);
}

void Engine::append_book_snapshot_json(SymbolView symbol, std::string& out) const {
    const InstrumentState* state = find(symbol);
    if (state == nullptr || !state->book) {
        out += "{}";
        return;
    }
    qx::append_book_snapshot_json(out, symbol, *state->book);
}

std::string Engine::signal_metrics_json() const {
    std::uint64_t by_state[4] = {0, 0, 0, 0};
    std::uint64_t flagged = 0;
    std::uint64_t confidence_sum = 0;
    for (const auto& [id, state] : instruments_) {
        if (!state.signal) {
            continue;
        }
        const SignalSnapshot& s = *state.signal;
        const auto index = static_cast<std::size_t>(s.state);
        if (index < 4) {
            ++by_state[index];
        }
        if (s.quality_flags != 0) {
            ++flagged;
        }
        confidence_sum = sat_add(confidence_sum, std::uint64_t{s.confidence_bps});
    }
    const std::uint64_t n = counts_.signals;
    const std::uint64_t e = counts_.explanations;
    JsonWriter w;
    w.begin_object();
    w.key("schema_version").u64(1);
    w.key("signal_symbols").u64(n);
    w.key("explanation_symbols").u64(e);
    w.key("neutral").u64(by_state[0]);
    w.key("long_bias").u64(by_state[1]);
    w.key("short_bias").u64(by_state[2]);
    w.key("blocked").u64(by_state[3]);
    w.key("directional").u64(by_state[1] + by_state[2]);
    w.key("quality_flagged").u64(flagged);
    w.key("average_confidence_bps").u64(n == 0 ? 0 : confidence_sum / n);
    w.key("last_quality_flags").u64(current_flags_);
    w.key("latest_explanation_coverage_bps").u64(n == 0 ? 0 : sat_mul(e, std::uint64_t{10000}) / n);
    w.end_object();
    return std::move(w).take();
}

}  // namespace qx
