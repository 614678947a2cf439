// Loading configuration files: format choice, the strict readers, the legacy fallback and its
// quirks, and every failure message of the loader.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "helpers/scratch_dir.h"
#include "runtime/config/config_loader.h"

namespace qx {
namespace {

using Tokens = std::vector<std::string>;

class ConfigLoader : public ::testing::Test {
  protected:
    // Writes `text` to a file of that name in the scratch directory and loads it.
    Expected<ConfigLoadReport, RuntimeError> load(const std::string& name,
                                                  const std::string& text) {
        const std::string path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return load_engine_config_report_from_path(path);
    }

    // Loads a file the strict reader must reject; returns the legacy report.
    ConfigLoadReport load_legacy(const std::string& name, const std::string& text) {
        auto r = load(name, text);
        EXPECT_TRUE(r) << r.error().display();
        if (!r) {
            return {};
        }
        EXPECT_TRUE(r->used_legacy_fallback);
        EXPECT_TRUE(r->warning);
        return *r;
    }

    qx_test::ScratchDir dir_;
};

TEST_F(ConfigLoader, TypedTomlFillsEveryField) {
    const auto r = load("c.toml", R"(
instance_id = "desk-1"
enable_persistence = true
signal_threshold = -3
data_root = "/srv/qx"
audit_log_path = "logs/audit.log"
audit_max_bytes = 4096
audit_max_files = 0
audit_redact_tokens = ["pin", " otp "]
data_retention_max_bytes = 1_000
data_retention_max_age_secs = 60
endpoint = "tcp://top:1"
unknown_key = { nested = true }

[adapter]
provider = " CQG "
endpoint = "tcp://adapter:2"
app_name = ""

[adapter.credentials]
key_id_env = "KEY"
secret_env = "SECRET"
)");
    ASSERT_TRUE(r) << r.error().display();
    EXPECT_EQ(r->format, "toml");
    EXPECT_FALSE(r->used_legacy_fallback);
    EXPECT_FALSE(r->warning);
    const EngineConfig& c = r->config;
    EXPECT_EQ(c.instance_id, "desk-1");
    EXPECT_TRUE(c.enable_persistence);
    EXPECT_EQ(c.signal_threshold, -3);
    EXPECT_EQ(c.data_root, "/srv/qx");
    EXPECT_EQ(c.audit_log_path, "logs/audit.log");
    EXPECT_EQ(c.audit_max_bytes, 4096u);
    EXPECT_EQ(c.audit_max_files, 0u);
    EXPECT_EQ(c.audit_redact_tokens, (Tokens{"pin", "otp"}));
    EXPECT_EQ(c.data_retention_max_bytes, 1000u);
    EXPECT_EQ(c.data_retention_max_age_secs, 60u);
    EXPECT_EQ(c.adapter.provider, ProviderKind::Cqg);
    EXPECT_EQ(c.adapter.endpoint, "tcp://adapter:2") << "the adapter section wins";
    EXPECT_EQ(c.adapter.app_name, "");
    EXPECT_EQ(c.adapter.credentials, (CredentialsRef{"KEY", "SECRET"}));
}

TEST_F(ConfigLoader, TypedJsonWithNullsAsAbsent) {
    const auto r = load("c.json", R"({
  "instance_id": "j",
  "signal_threshold": 9223372036854775807,
  "audit_max_bytes": 18446744073709551615,
  "audit_redact_tokens": "a, ,b",
  "data_root": null,
  "provider": "rithmic",
  "credentials": {"key_id_env": "K"},
  "credentials_secret_env": "S",
  "adapter": {"endpoint": "tcp://x", "credentials": null},
  "extra": [1, {"deep": null}]
})");
    ASSERT_TRUE(r) << r.error().display();
    EXPECT_EQ(r->format, "json");
    EXPECT_FALSE(r->used_legacy_fallback);
    const EngineConfig& c = r->config;
    EXPECT_EQ(c.instance_id, "j");
    EXPECT_EQ(c.signal_threshold, INT64_MAX);
    EXPECT_EQ(c.audit_max_bytes, UINT64_MAX);
    EXPECT_EQ(c.audit_redact_tokens, (Tokens{"a", "b"}));
    EXPECT_EQ(c.data_root, "data") << "null leaves the default";
    EXPECT_EQ(c.adapter.provider, ProviderKind::Rithmic);
    EXPECT_EQ(c.adapter.credentials, (CredentialsRef{"K", "S"}))
        << "a null adapter.credentials is absent, so the top-level section is in force";
}

TEST_F(ConfigLoader, ReadFailuresAndUnsupportedFormats) {
    auto r = load("c.TOML", "instance_id = \"x\"\n");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), RuntimeError::config("unsupported config format; use .json or .toml"));
    r = load("toml", "instance_id = \"x\"\n");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, RuntimeErrorKind::Config) << "a name shorter than the extension";

    r = load_engine_config_report_from_path(dir_ / "missing.yaml");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, RuntimeErrorKind::Io) << "the file is read before the extension";
    EXPECT_NE(r.error().message.find("(os error 2)"), std::string::npos) << r.error().message;

    r = load("bad.json", "{\"instance_id\": \"\xff\"}");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, RuntimeErrorKind::Io) << "invalid UTF-8 is a read failure";

    const auto plain = load_engine_config_from_path(dir_ / "missing.toml");
    ASSERT_FALSE(plain);
    EXPECT_EQ(plain.error().kind, RuntimeErrorKind::Io);
}

TEST_F(ConfigLoader, StrictTomlRejectionsFallBackToTheLegacyReader) {
    struct Case {
        const char* what;
        std::string text;
        std::string strict_error_part;  // must appear in the warning
    };
    const Case cases[] = {
        {"quoted number", "audit_max_bytes = \"4096\"\n", "audit_max_bytes: expected an integer"},
        {"duplicate key", "audit_max_bytes = 1\naudit_max_bytes = 4096\n", "line 2"},
        {"syntax error", "audit_max_bytes = 4096\ninstance_id = \"unterminated\n", "line 2"},
        {"beyond the reader's integers", "audit_max_bytes = 18446744073709551615\n",
         "not representable"},
        {"wrong nested type", "audit_max_bytes = 4096\n[adapter]\napp_name = 5\n",
         "adapter.app_name: expected a string"},
        {"float for string", "audit_max_bytes = 4096\ndata_root = 1.5\n",
         "data_root: expected a string, found a floating-point number (line 2"},
        {"string for boolean", "enable_persistence = \"TRUE\"\n",
         "enable_persistence: expected a boolean, found a string"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ConfigLoadReport r = load_legacy("c.toml", c.text);
        EXPECT_EQ(r.format, "toml");
        const std::string prefix =
            "loaded config via legacy toml fallback after strict parse failed: ";
        const std::string suffix =
            "; prefer typed top-level runtime keys with nested adapter and adapter.credentials "
            "sections";
        ASSERT_TRUE(r.warning);
        const std::string& w = *r.warning;
        EXPECT_EQ(w.substr(0, prefix.size()), prefix) << w;
        ASSERT_GE(w.size(), suffix.size());
        EXPECT_EQ(w.substr(w.size() - suffix.size()), suffix) << w;
        EXPECT_NE(w.find(c.strict_error_part), std::string::npos) << w;
    }
    EXPECT_EQ(load_legacy("c.toml", cases[0].text).config.audit_max_bytes, 4096u);
    EXPECT_EQ(load_legacy("c.toml", cases[1].text).config.audit_max_bytes, 4096u)
        << "the later legacy assignment wins";
    EXPECT_EQ(load_legacy("c.toml", cases[3].text).config.audit_max_bytes, UINT64_MAX)
        << "TOML integers are signed 64-bit; the legacy reader takes the full unsigned range";
}

TEST_F(ConfigLoader, TomlFailuresOfBothReaders) {
    auto r = load("c.toml", "audit_max_bytes = -1\n");
    ASSERT_FALSE(r);
    const std::string prefix = "strict toml parse failed: ";
    const std::string suffix =
        "; legacy fallback failed: config error: invalid u64 for audit_max_bytes: -1";
    const std::string& m = r.error().message;
    EXPECT_EQ(r.error().kind, RuntimeErrorKind::Config);
    EXPECT_EQ(m.substr(0, prefix.size()), prefix) << m;
    ASSERT_GT(m.size(), prefix.size() + suffix.size());
    EXPECT_EQ(m.substr(m.size() - suffix.size()), suffix) << m;
    EXPECT_NE(m.find("audit_max_bytes: -1 is out of range for an unsigned 64-bit integer (line 1"),
              std::string::npos)
        << m;

    r = load("c.toml", "instance_id = 'x\njust some words\n");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), RuntimeError::config("invalid toml line"));

    r = load("c.toml", "audit_max_bytes = 5\n[adapter]\nprovider = 7\n");
    ASSERT_FALSE(r);
    EXPECT_NE(r.error().message.find("legacy fallback failed: config error: unknown provider: 7"),
              std::string::npos)
        << r.error().message;

    r = load("c.toml", "[adapter]\nprovider = \"nasdaq\"\n");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), RuntimeError::config("unknown provider: nasdaq"))
        << "a mapping error after a strict success is returned as it is";
}

TEST_F(ConfigLoader, LegacyTomlQuirks) {
    // The quoted number makes the strict reader fail; everything else shows how the legacy
    // reader reads lines.
    const ConfigLoadReport r = load_legacy("c.toml",
                                           "audit_max_bytes = \"100\"\r\n"
                                           "instance_id = 'single'   # a comment\r\n"
                                           "data_root = \"a#b\"\n"
                                           "audit_log_path = \"x\" = \"y\"\n"
                                           "audit_redact_tokens = [\"p\", \"q\"]\n"
                                           "provider = \"rithmic\"\n"
                                           "   # only a comment\n"
                                           "[ adapter ]\n"
                                           "provider = \" CQG \"\n"
                                           "[[adapter]]\n"
                                           "endpoint = \"ignored\"\n"
                                           "[adapter.credentials]\n"
                                           "key_id_env = KEY\n"
                                           "secret_env = \"SECRET\"\n");
    const EngineConfig& c = r.config;
    EXPECT_EQ(c.audit_max_bytes, 100u);
    EXPECT_EQ(c.instance_id, "'single'") << "single quotes stay";
    EXPECT_EQ(c.data_root, "\"a") << "cut at '#', the opening quote stays";
    EXPECT_EQ(c.audit_log_path, "x\" = \"y") << "only one enclosing pair is removed";
    EXPECT_EQ(c.audit_redact_tokens, (Tokens{"[\"p\"", "\"q\"]"}));
    EXPECT_EQ(c.adapter.provider, ProviderKind::Cqg)
        << "provider under [adapter] is adapter.provider, which wins; its value is trimmed";
    EXPECT_FALSE(c.adapter.endpoint) << "[[adapter]] names the section \"[adapter]\"";
    EXPECT_EQ(c.adapter.credentials, (CredentialsRef{"KEY", "SECRET"}));
}

TEST_F(ConfigLoader, JsonFallbackAndItsQuirks) {
    // A duplicate key fails the strict reader; the legacy reader takes the later value.
    ConfigLoadReport r = load_legacy("c.json", R"({
  "audit_max_bytes": 1,
  "audit_max_bytes": "2048",
  "instance_id" : " spaced " ,
  "adapter": {
    "provider": "CQG",
    "credentials": {
      "key_id_env": "NESTED_KEY",
      "secret_env": "NESTED_SECRET"
    }
  },
  "credentials_key_id_env": "K",
  "credentials_secret_env": "S"
})");
    EXPECT_EQ(r.format, "json");
    EXPECT_NE(r.warning->find("loaded config via legacy json fallback after strict parse failed: "
                              "duplicate key `audit_max_bytes`"),
              std::string::npos)
        << *r.warning;
    EXPECT_EQ(r.config.audit_max_bytes, 2048u);
    EXPECT_EQ(r.config.instance_id, " spaced ") << "the quotes go, the spaces inside stay";
    EXPECT_EQ(r.config.adapter.provider, ProviderKind::Cqg) << "nesting is not tracked";
    EXPECT_EQ(r.config.adapter.credentials, (CredentialsRef{"K", "S"}))
        << "nested credential names are stored under their own names and not read";

    r = load_legacy("c.json", "{\"instance_id\": \"a\"} trailing");
    EXPECT_EQ(r.config.instance_id, "default") << "one-line documents hold no legacy pairs";

    r = load_legacy("c.json", "not json at all\n");
    EXPECT_EQ(r.config, EngineConfig{}) << "the legacy JSON reader never fails";

    r = load_legacy("c.json", "{\n\"audit_max_files\": \"7\",\n\"data_root\": 5\n}\n");
    EXPECT_EQ(r.config.audit_max_files, 7u);
    EXPECT_EQ(r.config.data_root, "5");
    EXPECT_NE(r.warning->find("data_root: expected a string, found an integer"), std::string::npos)
        << "the first error in field order is named: " << *r.warning;

    r = load_legacy("c.json", "[1, 2]");
    EXPECT_NE(r.warning->find("expected an object at the top level"), std::string::npos);

    auto bad = load("c.json", "{\n\"audit_max_bytes\": -1,\n}\n");
    ASSERT_FALSE(bad);
    const std::string& m = bad.error().message;
    EXPECT_EQ(m.rfind("strict json parse failed: ", 0), 0u) << m;
    const std::string suffix =
        "; legacy fallback failed: config error: invalid u64 for audit_max_bytes: -1";
    EXPECT_EQ(m.substr(m.size() - suffix.size()), suffix) << m;

    const auto mapped = parse_config_json(R"({"provider": "nope"})");
    ASSERT_FALSE(mapped);
    EXPECT_EQ(mapped.error(), RuntimeError::config("unknown provider: nope"));
}

TEST_F(ConfigLoader, CredentialHalvesAcrossSections) {
    auto r = load("c.toml", "[adapter.credentials]\nkey_id_env = \"K\"\n");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(),
              RuntimeError::config("credentials require both key_id_env and secret_env"));

    r = load("c.toml",
             "credentials_secret_env = \"S\"\n[adapter.credentials]\nkey_id_env = \"K\"\n");
    ASSERT_TRUE(r) << r.error().display();
    EXPECT_EQ(r->config.adapter.credentials, (CredentialsRef{"K", "S"}));
}

TEST_F(ConfigLoader, RedactTokenForms) {
    struct Case {
        const char* line;
        Tokens tokens;
    };
    const Case cases[] = {
        {"audit_redact_tokens = \"\"", Tokens{}},
        {"audit_redact_tokens = []", Tokens{}},
        {"audit_redact_tokens = \" pin , , otp \"", Tokens{"pin", "otp"}},
    };
    for (const Case& c : cases) {
        const auto r = load("c.toml", std::string(c.line) + "\n");
        ASSERT_TRUE(r) << c.line;
        EXPECT_FALSE(r->used_legacy_fallback) << c.line;
        EXPECT_EQ(r->config.audit_redact_tokens, c.tokens) << c.line;
    }
    const ConfigLoadReport mixed = load_legacy("c.toml", "audit_redact_tokens = [\"a\", 1]\n");
    EXPECT_NE(mixed.warning->find("audit_redact_tokens: expected an array of strings or a string"),
              std::string::npos)
        << *mixed.warning;
}

}  // namespace
}  // namespace qx
