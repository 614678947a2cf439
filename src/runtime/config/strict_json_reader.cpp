// The strict JSON reader. Duplicate keys are detected through the JSON library's parser
// callback, which sees every key as it is read; the library itself would keep the last one.
#include <nlohmann/json.hpp>

#include <set>

#include "runtime/config/config_file_fields.h"
#include "runtime/config/strict_readers.h"

namespace qx {
namespace {

using Json = nlohmann::json;

std::string_view json_type_name(const Json& n) {
    switch (n.type()) {
        case Json::value_t::object:
            return "an object";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::string:
            return "a string";
        case Json::value_t::boolean:
            return "a boolean";
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
            return "an integer";
        case Json::value_t::number_float:
            return "a floating-point number";
        case Json::value_t::null:
            return "null";
        case Json::value_t::binary:
        case Json::value_t::discarded:
            break;
    }
    return "an unsupported value";
}

struct JsonAccess {
    using Table = Json;
    using Node = Json;

    static const Node* find(const Table& t, std::string_view key) {
        const auto it = t.find(key);
        if (it == t.end() || it->is_null()) {
            return nullptr;
        }
        return &*it;
    }
    static const std::string* as_string(const Node& n) { return n.get_ptr<const std::string*>(); }
    static std::optional<bool> as_bool(const Node& n) {
        return n.is_boolean() ? std::optional<bool>(n.get<bool>()) : std::nullopt;
    }
    static std::optional<ConfigInteger> as_integer(const Node& n) {
        if (n.is_number_unsigned()) {
            return ConfigInteger{false, n.get<std::uint64_t>()};
        }
        if (n.is_number_integer()) {
            const std::int64_t i = n.get<std::int64_t>();
            const auto u = static_cast<std::uint64_t>(i);
            return i < 0 ? ConfigInteger{true, ~u + 1} : ConfigInteger{false, u};
        }
        return std::nullopt;
    }
    static const Table* as_table(const Node& n) { return n.is_object() ? &n : nullptr; }
    static std::optional<std::vector<const Node*>> as_array(const Node& n) {
        if (!n.is_array()) {
            return std::nullopt;
        }
        std::vector<const Node*> out;
        for (const Json& item : n) {
            out.push_back(&item);
        }
        return out;
    }
    static std::string_view type_name(const Node& n) { return json_type_name(n); }
    // The document tree keeps no positions.
    static std::string position(const Node&) { return {}; }
};

}  // namespace

Expected<RuntimeConfigFile, std::string> read_strict_json(std::string_view text) {
    // One set of keys per open object, innermost last.
    std::vector<std::set<std::string>> open_objects;
    std::optional<std::string> duplicate;
    const Json::parser_callback_t on_event = [&](int, Json::parse_event_t event, Json& parsed) {
        switch (event) {
            case Json::parse_event_t::object_start:
                open_objects.emplace_back();
                break;
            case Json::parse_event_t::object_end:
                if (!open_objects.empty()) {
                    open_objects.pop_back();
                }
                break;
            case Json::parse_event_t::key:
                if (!open_objects.empty() && !duplicate &&
                    !open_objects.back().insert(parsed.get<std::string>()).second) {
                    duplicate = parsed.get<std::string>();
                }
                break;
            default:
                break;
        }
        return true;
    };

    Json doc;
    try {
        doc = Json::parse(text.begin(), text.end(), on_event);
    } catch (const Json::exception& e) {
        return Unexpected(std::string(e.what()));
    }
    if (duplicate) {
        return Unexpected("duplicate key `" + *duplicate + "`");
    }
    if (!doc.is_object()) {
        return Unexpected("expected an object at the top level, found " +
                          std::string(json_type_name(doc)));
    }
    return ConfigFieldReader<JsonAccess>::read(doc);
}

}  // namespace qx
