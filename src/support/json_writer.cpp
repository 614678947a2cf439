#include "support/json_writer.h"

#include "support/json_escape.h"
#include "support/number_format.h"

namespace qx {

void JsonWriter::before_value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!has_items_.empty()) {
        if (has_items_.back()) {
            out_ += ',';
        }
        has_items_.back() = true;
    }
}

JsonWriter& JsonWriter::begin_object() {
    before_value();
    out_ += '{';
    has_items_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::end_object() {
    out_ += '}';
    has_items_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    before_value();
    out_ += '[';
    has_items_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    out_ += ']';
    has_items_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    before_value();
    out_ += '"';
    out_.append(name);
    out_ += "\":";
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
    before_value();
    out_ += '"';
    append_escaped_json(out_, text);
    out_ += '"';
    return *this;
}

JsonWriter& JsonWriter::i64(std::int64_t value) {
    before_value();
    append_i64(out_, value);
    return *this;
}

JsonWriter& JsonWriter::u64(std::uint64_t value) {
    before_value();
    append_u64(out_, value);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    before_value();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    before_value();
    out_ += "null";
    return *this;
}

JsonWriter& JsonWriter::f64(double value) {
    before_value();
    append_f64_shortest(out_, value);
    return *this;
}

JsonWriter& JsonWriter::f64_fixed(double value, int decimals) {
    before_value();
    append_f64_fixed(out_, value, decimals);
    return *this;
}

JsonWriter& JsonWriter::raw(std::string_view json) {
    before_value();
    out_.append(json);
    return *this;
}

}  // namespace qx
