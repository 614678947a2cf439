#include "signals/signal_registry.h"

#include "signals/json_string.h"

namespace qx {
namespace {

using Kind = SignalRegistryError::Kind;

SignalRegistryError error(Kind kind, std::string_view signal_id, std::string_view parameter = {}) {
    SignalRegistryError e;
    e.kind = kind;
    e.signal_id = std::string(signal_id);
    e.parameter = std::string(parameter);
    return e;
}

// -1, 0 or 1 when both values are integers or both floats; nullopt when they cannot be ordered.
std::optional<int> compare(const SignalParameterValue& a, const SignalParameterValue& b) {
    if (a.kind() != b.kind()) {
        return std::nullopt;
    }
    if (a.kind() == SignalParameterKind::Integer) {
        return a.as_integer() < b.as_integer() ? -1 : (a.as_integer() > b.as_integer() ? 1 : 0);
    }
    if (a.kind() == SignalParameterKind::Float) {
        return a.as_float() < b.as_float() ? -1 : (a.as_float() > b.as_float() ? 1 : 0);
    }
    return std::nullopt;
}

}  // namespace

std::string SignalRegistryError::message() const {
    const std::string qualified = signal_id + "." + parameter;
    switch (kind) {
        case Kind::UnknownSignal:
            return "unknown signal id `" + signal_id + "`";
        case Kind::DuplicateParameter:
            return "duplicate parameter `" + parameter + "` for signal `" + signal_id + "`";
        case Kind::UnknownParameter:
            return "unknown parameter `" + parameter + "` for signal `" + signal_id + "`";
        case Kind::InvalidParameterType:
            return "invalid parameter type for `" + qualified + "`: expected " +
                   std::string(signal_parameter_kind_display_name(expected)) + ", got " +
                   std::string(signal_parameter_kind_display_name(supplied));
        case Kind::BelowMinimum:
            return "parameter `" + qualified + "` is below the descriptor minimum";
        case Kind::AboveMaximum:
            return "parameter `" + qualified + "` is above the descriptor maximum";
        case Kind::NoFactory:
            return "signal `" + signal_id + "` has no construction factory";
    }
    return {};
}

void SignalRegistry::add(const SignalDescriptor& descriptor, SignalFactory factory) {
    entries_.push_back({&descriptor, factory});
}

const SignalRegistryEntry* SignalRegistry::find(std::string_view signal_id) const noexcept {
    for (const SignalRegistryEntry& e : entries_) {
        if (e.descriptor->id == signal_id) {
            return &e;
        }
    }
    return nullptr;
}

Expected<void, SignalRegistryError> SignalRegistry::validate_config(
    const SignalConfig& config) const {
    const SignalRegistryEntry* entry = find(config.signal_id);
    if (entry == nullptr) {
        return Unexpected(error(Kind::UnknownSignal, config.signal_id));
    }
    const SignalDescriptor& d = *entry->descriptor;
    for (std::size_t i = 0; i < config.parameters.size(); ++i) {
        const SignalConfigParameter& p = config.parameters[i];
        for (std::size_t j = 0; j < i; ++j) {
            if (config.parameters[j].name == p.name) {
                return Unexpected(error(Kind::DuplicateParameter, config.signal_id, p.name));
            }
        }
        const SignalParameterDescriptor* pd = d.parameter(p.name);
        if (pd == nullptr) {
            return Unexpected(error(Kind::UnknownParameter, config.signal_id, p.name));
        }
        if (p.value.kind() != pd->kind) {
            SignalRegistryError e = error(Kind::InvalidParameterType, config.signal_id, p.name);
            e.expected = pd->kind;
            e.supplied = p.value.kind();
            return Unexpected(std::move(e));
        }
        if (pd->min && compare(p.value, *pd->min) == -1) {
            return Unexpected(error(Kind::BelowMinimum, config.signal_id, p.name));
        }
        if (pd->max && compare(p.value, *pd->max) == 1) {
            return Unexpected(error(Kind::AboveMaximum, config.signal_id, p.name));
        }
    }
    return {};
}

Expected<SignalModulePtr, SignalRegistryError> SignalRegistry::create_signal(
    const SignalConfig& config) const {
    const SignalRegistryEntry* entry = find(config.signal_id);
    if (entry == nullptr) {
        return Unexpected(error(Kind::UnknownSignal, config.signal_id));
    }
    if (auto valid = validate_config(config); !valid) {
        return Unexpected(valid.error());
    }
    if (entry->factory == nullptr) {
        return Unexpected(error(Kind::NoFactory, config.signal_id));
    }
    return entry->factory(config);
}

std::string SignalRegistry::descriptors_json() const {
    std::string out = "[";
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        append_descriptor_json(out, *entries_[i].descriptor);
    }
    out += ']';
    return out;
}

std::string SignalRegistry::validate_config_json(const SignalConfig& config) const {
    const auto valid = validate_config(config);
    std::string out = "{";
    push_json_string(out, "schema_version");
    out += ":1,";
    push_json_string(out, "signal_id");
    out += ':';
    push_json_string(out, config.signal_id);
    out += ',';
    push_json_string(out, "valid");
    out += valid ? ":true," : ":false,";
    push_json_string(out, "error");
    out += ':';
    if (valid) {
        out += "null";
    } else {
        push_json_string(out, valid.error().message());
    }
    out += '}';
    return out;
}

std::int64_t integer_parameter(const SignalConfig& config, const SignalDescriptor& descriptor,
                               std::string_view name) {
    for (const SignalConfigParameter& p : config.parameters) {
        if (p.name == name && p.value.kind() == SignalParameterKind::Integer) {
            return p.value.as_integer();
        }
    }
    const SignalParameterDescriptor* pd = descriptor.parameter(name);
    if (pd != nullptr && pd->default_value &&
        pd->default_value->kind() == SignalParameterKind::Integer) {
        return pd->default_value->as_integer();
    }
    return 0;
}

}  // namespace qx
