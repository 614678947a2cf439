// The one description of which values the strict configuration readers accept, shared by the
// TOML and the JSON reader. A reader supplies an access policy over its own document tree:
//
//   struct Access {
//       using Table = ...; using Node = ...;
//       static const Node* find(const Table&, std::string_view key);   // nullptr when absent
//       static const std::string* as_string(const Node&);
//       static std::optional<bool> as_bool(const Node&);
//       static std::optional<ConfigInteger> as_integer(const Node&);
//       static const Table* as_table(const Node&);
//       static std::optional<std::vector<const Node*>> as_array(const Node&);
//       static std::string_view type_name(const Node&);  // "a string"
//       static std::string position(const Node&);        // "line 3, column 7", or empty
//   };
//
// Unknown keys are ignored; a value of the wrong type or outside its integer range is an error
// whose text names the key.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/config/config_file.h"
#include "support/expected.h"

namespace qx {

// An integer as a document holds it: sign and magnitude cover both signed and unsigned readers.
struct ConfigInteger {
    bool negative = false;
    std::uint64_t magnitude = 0;

    std::string text() const { return (negative ? "-" : "") + std::to_string(magnitude); }
};

template <typename Access>
class ConfigFieldReader {
  public:
    using Table = typename Access::Table;
    using Node = typename Access::Node;

    // The typed record, or the text of the first error found in field order.
    static Expected<RuntimeConfigFile, std::string> read(const Table& root) {
        ConfigFieldReader r;
        RuntimeConfigFile f;
        f.instance_id = r.string(root, "", "instance_id");
        f.enable_persistence = r.boolean(root, "", "enable_persistence");
        f.signal_threshold = r.i64(root, "", "signal_threshold");
        f.data_root = r.string(root, "", "data_root");
        f.audit_log_path = r.string(root, "", "audit_log_path");
        f.audit_max_bytes = r.u64(root, "", "audit_max_bytes");
        f.audit_max_files = r.u32(root, "", "audit_max_files");
        f.audit_redact_tokens = r.list_or_csv(root, "", "audit_redact_tokens");
        f.data_retention_max_bytes = r.u64(root, "", "data_retention_max_bytes");
        f.data_retention_max_age_secs = r.u64(root, "", "data_retention_max_age_secs");
        f.provider = r.string(root, "", "provider");
        f.endpoint = r.string(root, "", "endpoint");
        f.app_name = r.string(root, "", "app_name");
        f.credentials_key_id_env = r.string(root, "", "credentials_key_id_env");
        f.credentials_secret_env = r.string(root, "", "credentials_secret_env");
        if (const Table* adapter = r.table(root, "", "adapter")) {
            AdapterConfigFile a;
            a.provider = r.string(*adapter, "adapter.", "provider");
            a.endpoint = r.string(*adapter, "adapter.", "endpoint");
            a.app_name = r.string(*adapter, "adapter.", "app_name");
            if (const Table* creds = r.table(*adapter, "adapter.", "credentials")) {
                a.credentials = r.credentials(*creds, "adapter.credentials.");
            }
            f.adapter = std::move(a);
        }
        if (const Table* creds = r.table(root, "", "credentials")) {
            f.credentials = r.credentials(*creds, "credentials.");
        }
        if (r.error_) {
            return Unexpected(std::move(*r.error_));
        }
        return f;
    }

  private:
    void fail(std::string_view prefix, std::string_view key, std::string_view what) {
        if (!error_) {
            error_ = std::string(prefix) + std::string(key) + ": " + std::string(what);
        }
    }
    static std::string at(const Node& n) {
        const std::string pos = Access::position(n);
        return pos.empty() ? std::string() : " (" + pos + ")";
    }
    void wrong_type(std::string_view prefix, std::string_view key, std::string_view expected,
                    const Node& n) {
        fail(prefix, key,
             "expected " + std::string(expected) + ", found " + std::string(Access::type_name(n)) +
                 at(n));
    }

    std::optional<std::string> string(const Table& t, std::string_view prefix,
                                      std::string_view key) {
        const Node* n = Access::find(t, key);
        if (n == nullptr) {
            return std::nullopt;
        }
        if (const std::string* s = Access::as_string(*n)) {
            return *s;
        }
        wrong_type(prefix, key, "a string", *n);
        return std::nullopt;
    }

    std::optional<bool> boolean(const Table& t, std::string_view prefix, std::string_view key) {
        const Node* n = Access::find(t, key);
        if (n == nullptr) {
            return std::nullopt;
        }
        if (const auto b = Access::as_bool(*n)) {
            return b;
        }
        wrong_type(prefix, key, "a boolean", *n);
        return std::nullopt;
    }

    // An integer from -negative_limit to max inclusive.
    std::optional<ConfigInteger> integer(const Table& t, std::string_view prefix,
                                         std::string_view key, std::string_view type_name,
                                         std::uint64_t negative_limit, std::uint64_t max) {
        const Node* n = Access::find(t, key);
        if (n == nullptr) {
            return std::nullopt;
        }
        const auto v = Access::as_integer(*n);
        if (!v) {
            wrong_type(prefix, key, "an integer", *n);
            return std::nullopt;
        }
        if (v->negative ? v->magnitude > negative_limit : v->magnitude > max) {
            fail(prefix, key,
                 v->text() + " is out of range for " + std::string(type_name) + at(*n));
            return std::nullopt;
        }
        return v;
    }

    std::optional<std::uint64_t> u64(const Table& t, std::string_view prefix,
                                     std::string_view key) {
        const auto v = integer(t, prefix, key, "an unsigned 64-bit integer", 0,
                               std::numeric_limits<std::uint64_t>::max());
        return v ? std::optional<std::uint64_t>(v->magnitude) : std::nullopt;
    }

    std::optional<std::uint32_t> u32(const Table& t, std::string_view prefix,
                                     std::string_view key) {
        const auto v = integer(t, prefix, key, "an unsigned 32-bit integer", 0,
                               std::numeric_limits<std::uint32_t>::max());
        return v ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(v->magnitude))
                 : std::nullopt;
    }

    std::optional<std::int64_t> i64(const Table& t, std::string_view prefix, std::string_view key) {
        constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        const auto v = integer(t, prefix, key, "a signed 64-bit integer", kMax + 1, kMax);
        if (!v) {
            return std::nullopt;
        }
        return v->negative ? static_cast<std::int64_t>(~v->magnitude + 1)
                           : static_cast<std::int64_t>(v->magnitude);
    }

    // The array form is tried first, then the single comma-separated string.
    std::optional<StringListOrCsv> list_or_csv(const Table& t, std::string_view prefix,
                                               std::string_view key) {
        const Node* n = Access::find(t, key);
        if (n == nullptr) {
            return std::nullopt;
        }
        if (const auto items = Access::as_array(*n)) {
            std::vector<std::string> out;
            for (const Node* item : *items) {
                const std::string* s = Access::as_string(*item);
                if (s == nullptr) {
                    wrong_type(prefix, key, "an array of strings or a string", *n);
                    return std::nullopt;
                }
                out.push_back(*s);
            }
            return StringListOrCsv(std::move(out));
        }
        if (const std::string* s = Access::as_string(*n)) {
            return StringListOrCsv(*s);
        }
        wrong_type(prefix, key, "an array of strings or a string", *n);
        return std::nullopt;
    }

    const Table* table(const Table& t, std::string_view prefix, std::string_view key) {
        const Node* n = Access::find(t, key);
        if (n == nullptr) {
            return nullptr;
        }
        if (const Table* sub = Access::as_table(*n)) {
            return sub;
        }
        wrong_type(prefix, key, "a table", *n);
        return nullptr;
    }

    CredentialsRefFile credentials(const Table& t, std::string_view prefix) {
        CredentialsRefFile c;
        c.key_id_env = string(t, prefix, "key_id_env");
        c.secret_env = string(t, prefix, "secret_env");
        return c;
    }

    std::optional<std::string> error_;
};

}  // namespace qx
