#include "support/json_writer.h"

#include "support/json_escape.h"
#include "support/number_format.h"

namespace qx {

void JsonWriter::before_value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (depth_ > 0 && depth_ <= 64) {
        const std::uint64_t bit = std::uint64_t{1} << (depth_ - 1);
        if (has_items_ & bit) {
            *out_ += ',';
        }
        has_items_ |= bit;
    }
}

void JsonWriter::open(char c) {
    before_value();
    *out_ += c;
    ++depth_;
    if (depth_ <= 64) {
        has_items_ &= ~(std::uint64_t{1} << (depth_ - 1));
    }
}

void JsonWriter::close(char c) {
    *out_ += c;
    if (depth_ > 0) {
        --depth_;
    }
}

JsonWriter& JsonWriter::begin_object() {
    open('{');
    return *this;
}

JsonWriter& JsonWriter::end_object() {
    close('}');
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    open('[');
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    before_value();
    *out_ += '"';
    out_->append(name);
    *out_ += "\":";
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
    before_value();
    *out_ += '"';
    append_escaped_json(*out_, text);
    *out_ += '"';
    return *this;
}

JsonWriter& JsonWriter::i64(std::int64_t value) {
    before_value();
    append_i64(*out_, value);
    return *this;
}

JsonWriter& JsonWriter::u64(std::uint64_t value) {
    before_value();
    append_u64(*out_, value);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    before_value();
    *out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    before_value();
    *out_ += "null";
    return *this;
}

JsonWriter& JsonWriter::f64(double value) {
    before_value();
    append_f64_shortest(*out_, value);
    return *this;
}

JsonWriter& JsonWriter::f64_fixed(double value, int decimals) {
    before_value();
    append_f64_fixed(*out_, value, decimals);
    return *this;
}

JsonWriter& JsonWriter::raw(std::string_view json) {
    before_value();
    out_->append(json);
    return *this;
}

}  // namespace qx
