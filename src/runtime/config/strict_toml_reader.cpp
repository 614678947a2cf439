// The strict TOML reader, on the header-only TOML library compiled into this library.
#include <toml++/toml.h>

#include "runtime/config/config_file_fields.h"
#include "runtime/config/strict_readers.h"

namespace qx {
namespace {

std::string toml_position(const toml::source_position& p) {
    return "line " + std::to_string(p.line) + ", column " + std::to_string(p.column);
}

std::string_view toml_type_name(const toml::node& n) {
    switch (n.type()) {
        case toml::node_type::table:
            return "a table";
        case toml::node_type::array:
            return "an array";
        case toml::node_type::string:
            return "a string";
        case toml::node_type::integer:
            return "an integer";
        case toml::node_type::floating_point:
            return "a floating-point number";
        case toml::node_type::boolean:
            return "a boolean";
        case toml::node_type::date:
            return "a date";
        case toml::node_type::time:
            return "a time";
        case toml::node_type::date_time:
            return "a date-time";
        case toml::node_type::none:
            break;
    }
    return "nothing";
}

struct TomlAccess {
    using Table = toml::table;
    using Node = toml::node;

    static const Node* find(const Table& t, std::string_view key) { return t.get(key); }
    static const std::string* as_string(const Node& n) {
        const auto* v = n.as_string();
        return v ? &v->get() : nullptr;
    }
    static std::optional<bool> as_bool(const Node& n) {
        const auto* v = n.as_boolean();
        return v ? std::optional<bool>(v->get()) : std::nullopt;
    }
    static std::optional<ConfigInteger> as_integer(const Node& n) {
        const auto* v = n.as_integer();
        if (v == nullptr) {
            return std::nullopt;
        }
        const std::int64_t i = v->get();
        const auto u = static_cast<std::uint64_t>(i);
        return i < 0 ? ConfigInteger{true, ~u + 1} : ConfigInteger{false, u};
    }
    static const Table* as_table(const Node& n) { return n.as_table(); }
    static std::optional<std::vector<const Node*>> as_array(const Node& n) {
        const auto* a = n.as_array();
        if (a == nullptr) {
            return std::nullopt;
        }
        std::vector<const Node*> out;
        for (const toml::node& item : *a) {
            out.push_back(&item);
        }
        return out;
    }
    static std::string_view type_name(const Node& n) { return toml_type_name(n); }
    static std::string position(const Node& n) { return toml_position(n.source().begin); }
};

}  // namespace

Expected<RuntimeConfigFile, std::string> read_strict_toml(std::string_view text) {
    toml::parse_result parsed = toml::parse(text);
    if (!parsed) {
        const toml::parse_error& e = parsed.error();
        return Unexpected(std::string(e.description()) + " (" + toml_position(e.source().begin) +
                          ")");
    }
    return ConfigFieldReader<TomlAccess>::read(parsed.table());
}

}  // namespace qx
