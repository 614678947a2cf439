#include "signals/signal_parameters.h"

#include "signals/json_string.h"
#include "support/number_format.h"

namespace qx {

std::string_view signal_parameter_kind_json_name(SignalParameterKind kind) noexcept {
    switch (kind) {
        case SignalParameterKind::Integer:
            return "integer";
        case SignalParameterKind::Float:
            return "float";
        case SignalParameterKind::Boolean:
            return "boolean";
        case SignalParameterKind::Text:
            return "text";
    }
    return "integer";
}

std::string_view signal_parameter_kind_display_name(SignalParameterKind kind) noexcept {
    switch (kind) {
        case SignalParameterKind::Integer:
            return "Integer";
        case SignalParameterKind::Float:
            return "Float";
        case SignalParameterKind::Boolean:
            return "Boolean";
        case SignalParameterKind::Text:
            return "Text";
    }
    return "Integer";
}

void push_parameter_value_json(std::string& out, const SignalParameterValue& value) {
    switch (value.kind()) {
        case SignalParameterKind::Integer:
            append_i64(out, value.as_integer());
            return;
        case SignalParameterKind::Float:
            append_f64_shortest(out, value.as_float());
            return;
        case SignalParameterKind::Boolean:
            out += value.as_boolean() ? "true" : "false";
            return;
        case SignalParameterKind::Text:
            push_json_string(out, value.as_text());
            return;
    }
}

}  // namespace qx
