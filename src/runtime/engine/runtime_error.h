// The error value of every runtime-engine and configuration operation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "support/expected.h"

namespace qx {

enum class RuntimeErrorKind : std::uint8_t { Adapter, Config, Io, NotStarted };

struct RuntimeError {
    RuntimeErrorKind kind = RuntimeErrorKind::Config;
    std::string message;  // empty for NotStarted

    static RuntimeError adapter(std::string m) { return {RuntimeErrorKind::Adapter, std::move(m)}; }
    static RuntimeError config(std::string m) { return {RuntimeErrorKind::Config, std::move(m)}; }
    static RuntimeError io(std::string m) { return {RuntimeErrorKind::Io, std::move(m)}; }
    static RuntimeError not_started() { return {RuntimeErrorKind::NotStarted, {}}; }

    // "adapter error: {}", "config error: {}", "io error: {}" or "engine not started".
    std::string display() const;

    // True exactly for an adapter-kind error whose message begins with "backpressure:" (a poll
    // that dropped events but processed and delivered the ones it kept).
    bool is_backpressure() const noexcept {
        return kind == RuntimeErrorKind::Adapter &&
               std::string_view(message).starts_with("backpressure:");
    }

    friend bool operator==(const RuntimeError&, const RuntimeError&) = default;
};

template <typename T = void>
using RuntimeResult = Expected<T, RuntimeError>;

}  // namespace qx
