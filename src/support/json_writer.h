// A small builder for the library's JSON documents: fixed key order, no white space.
//
// Keys are written as given (they are the library's own fixed names); string values are
// escaped with escape_json. Commas between members and elements are inserted automatically.
//
//   JsonWriter w;
//   w.begin_object();
//   w.key("venue").string(venue);
//   w.key("mid").i64(mid);
//   w.end_object();
//   std::string text = std::move(w).take();
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

class JsonWriter {
  public:
    // Writes into a string of its own.
    JsonWriter() = default;
    explicit JsonWriter(std::size_t reserve) { own_.reserve(reserve); }
    // Appends to `target` (which must outlive the writer), so hot paths can reuse a buffer.
    explicit JsonWriter(std::string& target) : out_(&target) {}
    JsonWriter(JsonWriter&& other) noexcept
        : own_(std::move(other.own_)),
          out_(other.out_ == &other.own_ ? &own_ : other.out_),
          has_items_(other.has_items_),
          depth_(other.depth_),
          after_key_(other.after_key_) {}
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;
    JsonWriter& operator=(JsonWriter&&) = delete;

    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();

    // Starts an object member; the next value call writes its value.
    JsonWriter& key(std::string_view name);

    JsonWriter& string(std::string_view text);  // escaped with escape_json
    JsonWriter& i64(std::int64_t value);
    JsonWriter& u64(std::uint64_t value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    JsonWriter& f64(double value);  // shortest round-trip form
    JsonWriter& f64_fixed(double value, int decimals);
    JsonWriter& raw(std::string_view json);  // an already formatted JSON value

    const std::string& str() const& { return *out_; }
    std::string take() && { return std::move(*out_); }

  private:
    void before_value();
    void open(char c);
    void close(char c);

    std::string own_;
    std::string* out_ = &own_;
    // Bit d is set once the container open at depth d holds a member or element; documents
    // nest far less than 64 deep.
    std::uint64_t has_items_ = 0;
    int depth_ = 0;
    bool after_key_ = false;
};

}  // namespace qx
