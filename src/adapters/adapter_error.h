// The error values of market-data adapters.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace qx {

enum class AdapterErrorKind : std::uint8_t { Disconnected, Misconfigured, FeatureDisabled, Other };

struct AdapterError {
    AdapterErrorKind kind = AdapterErrorKind::Other;
    std::string message;  // empty for Disconnected

    static AdapterError disconnected() { return {AdapterErrorKind::Disconnected, {}}; }
    static AdapterError misconfigured(std::string m) {
        return {AdapterErrorKind::Misconfigured, std::move(m)};
    }
    static AdapterError feature_disabled(std::string m) {
        return {AdapterErrorKind::FeatureDisabled, std::move(m)};
    }
    static AdapterError other(std::string m) { return {AdapterErrorKind::Other, std::move(m)}; }

    // "adapter disconnected", "adapter misconfigured: {}", "adapter feature disabled: {}" or
    // "adapter error: {}".
    std::string display() const;

    friend bool operator==(const AdapterError&, const AdapterError&) = default;
};

}  // namespace qx
