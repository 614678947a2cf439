#include "signals/signal_descriptor.h"

#include <iterator>

#include "signals/json_string.h"
#include "support/number_format.h"

namespace qx {
namespace {

constexpr std::string_view kInputNames[] = {
    "analytics", "data_quality", "book", "advanced_analytics", "market_regime", "position", "risk"};

void push_key(std::string& out, std::string_view key) {
    push_json_string(out, key);
    out += ':';
}

void push_optional_value(std::string& out, const std::optional<SignalParameterValue>& v) {
    if (v) {
        push_parameter_value_json(out, *v);
    } else {
        out += "null";
    }
}

void push_warmup(std::string& out, const SignalWarmup& w) {
    out += '{';
    push_key(out, "kind");
    switch (w.kind) {
        case SignalWarmup::Kind::None:
            push_json_string(out, "none");
            break;
        case SignalWarmup::Kind::Events:
            push_json_string(out, "events");
            out += ',';
            push_key(out, "events");
            append_u64(out, w.events);
            break;
        case SignalWarmup::Kind::MarketTimeNs:
            push_json_string(out, "market_time_ns");
            out += ',';
            push_key(out, "market_time_ns");
            append_i64(out, w.market_time_ns);
            break;
        case SignalWarmup::Kind::CompletedBars:
            push_json_string(out, "completed_bars");
            out += ',';
            push_key(out, "completed_bars");
            append_u64(out, w.completed_bars);
            break;
        case SignalWarmup::Kind::All:
            push_json_string(out, "all");
            out += ',';
            push_key(out, "requirements");
            out += '[';
            for (std::size_t i = 0; i < w.requirements.size(); ++i) {
                if (i != 0) {
                    out += ',';
                }
                push_warmup(out, w.requirements[i]);
            }
            out += ']';
            break;
    }
    out += '}';
}

void push_parameter(std::string& out, const SignalParameterDescriptor& p) {
    out += '{';
    push_key(out, "name");
    push_json_string(out, p.name);
    out += ',';
    push_key(out, "description");
    push_json_string(out, p.description);
    out += ',';
    push_key(out, "kind");
    push_json_string(out, signal_parameter_kind_json_name(p.kind));
    out += ',';
    push_key(out, "default");
    push_optional_value(out, p.default_value);
    out += ',';
    push_key(out, "min");
    push_optional_value(out, p.min);
    out += ',';
    push_key(out, "max");
    push_optional_value(out, p.max);
    out += '}';
}

}  // namespace

std::string_view signal_output_semantics_text(SignalOutputSemantics s) noexcept {
    switch (s) {
        case SignalOutputSemantics::DirectionalBias:
            return "directional_bias";
        case SignalOutputSemantics::CompositeBias:
            return "composite_bias";
        case SignalOutputSemantics::Informational:
            return "informational";
        case SignalOutputSemantics::Veto:
            return "veto";
    }
    return "directional_bias";
}

const SignalParameterDescriptor* SignalDescriptor::parameter(
    std::string_view parameter_name) const noexcept {
    for (const SignalParameterDescriptor& p : parameters) {
        if (p.name == parameter_name) {
            return &p;
        }
    }
    return nullptr;
}

void append_descriptor_json(std::string& out, const SignalDescriptor& d) {
    out += '{';
    push_key(out, "id");
    push_json_string(out, d.id);
    out += ',';
    push_key(out, "name");
    push_json_string(out, d.name);
    out += ',';
    push_key(out, "version");
    push_json_string(out, d.version);
    out += ',';
    push_key(out, "description");
    push_json_string(out, d.description);
    out += ',';
    push_key(out, "required_inputs_bits");
    append_u64(out, d.required_inputs);
    out += ',';
    push_key(out, "required_inputs");
    out += '[';
    bool first = true;
    for (std::size_t bit = 0; bit < std::size(kInputNames); ++bit) {
        if ((d.required_inputs & (1u << bit)) != 0) {
            if (!first) {
                out += ',';
            }
            first = false;
            push_json_string(out, kInputNames[bit]);
        }
    }
    out += "],";
    push_key(out, "warmup");
    push_warmup(out, d.warmup);
    out += ',';
    push_key(out, "parameters");
    out += '[';
    for (std::size_t i = 0; i < d.parameters.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        push_parameter(out, d.parameters[i]);
    }
    out += "],";
    push_key(out, "output_semantics");
    push_json_string(out, signal_output_semantics_text(d.output_semantics));
    out += ',';
    push_key(out, "deterministic");
    out += d.deterministic ? "true" : "false";
    out += ',';
    push_key(out, "checkpointable");
    out += d.checkpointable ? "true" : "false";
    out += '}';
}

}  // namespace qx
