// Typed signal parameter values, as configured by a host and as reported in explanations.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace qx {

enum class SignalParameterKind : std::uint8_t { Integer = 0, Float = 1, Boolean = 2, Text = 3 };

// "integer", "float", "boolean", "text".
std::string_view signal_parameter_kind_json_name(SignalParameterKind kind) noexcept;
// "Integer", "Float", "Boolean", "Text" (used in error messages).
std::string_view signal_parameter_kind_display_name(SignalParameterKind kind) noexcept;

// One value of one of the four kinds; the alternative order follows SignalParameterKind.
class SignalParameterValue {
  public:
    SignalParameterValue() : v_(std::int64_t{0}) {}
    static SignalParameterValue integer(std::int64_t v) { return {std::in_place_index<0>, v}; }
    static SignalParameterValue floating(double v) { return {std::in_place_index<1>, v}; }
    static SignalParameterValue boolean(bool v) { return {std::in_place_index<2>, v}; }
    static SignalParameterValue text(std::string v) {
        return {std::in_place_index<3>, std::move(v)};
    }

    SignalParameterKind kind() const noexcept {
        return static_cast<SignalParameterKind>(v_.index());
    }
    // Each accessor requires the matching kind.
    std::int64_t as_integer() const { return std::get<0>(v_); }
    double as_float() const { return std::get<1>(v_); }
    bool as_boolean() const { return std::get<2>(v_); }
    const std::string& as_text() const { return std::get<3>(v_); }

    friend bool operator==(const SignalParameterValue&, const SignalParameterValue&) = default;

  private:
    template <std::size_t I, typename T>
    SignalParameterValue(std::in_place_index_t<I> at, T&& v) : v_(at, std::forward<T>(v)) {}

    std::variant<std::int64_t, double, bool, std::string> v_;
};

// Appends the value as JSON: an integer in decimal, a float in the shortest form that reads
// back exactly (no fraction when integral), true or false, a text as a JSON string.
void push_parameter_value_json(std::string& out, const SignalParameterValue& value);

}  // namespace qx
