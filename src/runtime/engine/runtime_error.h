// The error value of every runtime-engine operation.
#pragma once

#include <string>
#include <string_view>

#include "support/expected.h"

namespace qx {

class RuntimeError {
  public:
    enum class Kind { Adapter, Config, Io, NotStarted };

    static RuntimeError adapter(std::string message) { return {Kind::Adapter, std::move(message)}; }
    static RuntimeError config(std::string message) { return {Kind::Config, std::move(message)}; }
    static RuntimeError io(std::string message) { return {Kind::Io, std::move(message)}; }
    static RuntimeError not_started() { return {Kind::NotStarted, {}}; }

    RuntimeError() = default;

    Kind kind() const noexcept { return kind_; }
    const std::string& message() const noexcept { return message_; }

    // "adapter error: {}", "config error: {}", "io error: {}" or "engine not started".
    std::string to_string() const;

    // True exactly for an adapter-kind error whose message begins with "backpressure:".
    bool is_backpressure() const noexcept {
        return kind_ == Kind::Adapter && std::string_view(message_).starts_with("backpressure:");
    }

  private:
    RuntimeError(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

    Kind kind_ = Kind::NotStarted;
    std::string message_;
};

template <typename T = void>
using RuntimeResult = Expected<T, RuntimeError>;

}  // namespace qx
