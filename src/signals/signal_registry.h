// The catalogue of signal types: each entry pairs a static descriptor with an optional factory.
// The registry checks configurations against descriptors, builds modules and renders its
// descriptors as JSON.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "signals/signal_descriptor.h"
#include "signals/signal_module.h"
#include "signals/signal_parameters.h"
#include "support/expected.h"

namespace qx {

struct SignalConfigParameter {
    std::string name;
    SignalParameterValue value;
};

struct SignalConfig {
    std::string signal_id;
    std::vector<SignalConfigParameter> parameters;  // in the caller's order
};

struct SignalRegistryError {
    enum class Kind : std::uint8_t {
        UnknownSignal,
        DuplicateParameter,
        UnknownParameter,
        InvalidParameterType,
        BelowMinimum,
        AboveMaximum,
        NoFactory,
    };

    Kind kind = Kind::UnknownSignal;
    std::string signal_id;
    std::string parameter;  // empty for UnknownSignal and NoFactory
    SignalParameterKind expected = SignalParameterKind::Integer;  // InvalidParameterType only
    SignalParameterKind supplied = SignalParameterKind::Integer;  // InvalidParameterType only

    // For example "unknown signal id `x`" or
    // "invalid parameter type for `delta_momentum_v1.threshold`: expected Integer, got Float".
    std::string message() const;
};

using SignalModulePtr = std::unique_ptr<SignalModule>;
using SignalFactory = Expected<SignalModulePtr, SignalRegistryError> (*)(const SignalConfig&);

struct SignalRegistryEntry {
    const SignalDescriptor* descriptor = nullptr;  // outlives the registry
    SignalFactory factory = nullptr;               // may be absent
};

class SignalRegistry {
  public:
    // The seven built-in signal types, in catalogue order.
    static SignalRegistry with_built_ins();

    // Adds an entry at the end; `descriptor` must outlive the registry.
    void add(const SignalDescriptor& descriptor, SignalFactory factory);

    const std::vector<SignalRegistryEntry>& entries() const noexcept { return entries_; }
    // First entry whose descriptor id equals `signal_id` byte for byte, or nullptr.
    const SignalRegistryEntry* find(std::string_view signal_id) const noexcept;

    // The first problem of the configuration: unknown signal, then per supplied parameter in
    // order a duplicate, an unknown name, a wrong kind, a value below the minimum or above the
    // maximum. Parameters that are not supplied are not required.
    Expected<void, SignalRegistryError> validate_config(const SignalConfig& config) const;
    // Validates, then builds the module through the entry's factory.
    Expected<SignalModulePtr, SignalRegistryError> create_signal(const SignalConfig& config) const;

    // "[" descriptors joined by "," "]", in registry order.
    std::string descriptors_json() const;
    // {"schema_version":1,"signal_id":"..","valid":true|false,"error":null|".."}
    std::string validate_config_json(const SignalConfig& config) const;

  private:
    std::vector<SignalRegistryEntry> entries_;
};

// The supplied Integer value of `name`, or the descriptor's integer default (0 without one).
std::int64_t integer_parameter(const SignalConfig& config, const SignalDescriptor& descriptor,
                               std::string_view name);

// descriptors_json() of the built-in registry.
std::string built_in_signal_descriptors_json();

}  // namespace qx
