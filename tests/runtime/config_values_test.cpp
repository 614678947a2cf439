// Value conversions and the two mappings onto EngineConfig.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/config/config_mapping.h"
#include "runtime/config/config_values.h"

namespace qx {
namespace {

using Tokens = std::vector<std::string>;

TEST(ConfigValues, ParseU64AcceptsOnlyPlusAndDigits) {
    struct Case {
        const char* text;
        bool ok;
        std::uint64_t value;
    };
    const Case cases[] = {
        {"42", true, 42},
        {" \t+7 ", true, 7},
        {"18446744073709551615", true, 18446744073709551615ULL},
        {"007", true, 7},
        {"", false, 0},
        {"+", false, 0},
        {"-1", false, 0},
        {"-0", false, 0},
        {"1 2", false, 0},
        {"0x10", false, 0},
        {"18446744073709551616", false, 0},
    };
    for (const Case& c : cases) {
        const auto r = parse_u64(c.text, "k");
        ASSERT_EQ(r.has_value(), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(*r, c.value) << c.text;
        } else {
            EXPECT_EQ(r.error(), RuntimeError::config("invalid u64 for k: " + std::string(c.text)));
        }
    }
    EXPECT_EQ(parse_u64(" -1 ", "audit_max_bytes").error().display(),
              "config error: invalid u64 for audit_max_bytes:  -1 ")
        << "the message holds the value untrimmed";
}

TEST(ConfigValues, ParseCsvTrimsAndDropsEmptyPieces) {
    EXPECT_EQ(parse_csv("a, b,,c ,"), (Tokens{"a", "b", "c"}));
    EXPECT_EQ(parse_csv(""), Tokens{});
    EXPECT_EQ(parse_csv(" , \t,"), Tokens{});
    EXPECT_EQ(parse_csv("x y"), Tokens{"x y"});
}

TEST(ConfigValues, ParseProviderKeywordsAndAliases) {
    struct Case {
        const char* text;
        ProviderKind kind;
    };
    const Case ok[] = {
        {"mock", ProviderKind::Mock},
        {" CQG ", ProviderKind::Cqg},
        {"Rithmic", ProviderKind::Rithmic},
        {"binance", ProviderKind::Binance},
        {"BINANCE_SPOT", ProviderKind::Binance},
        {"crypto_binance\n", ProviderKind::Binance},
    };
    for (const Case& c : ok) {
        const auto r = parse_provider(c.text);
        ASSERT_TRUE(r) << c.text;
        EXPECT_EQ(*r, c.kind) << c.text;
    }
    for (const char* bad : {"", " foo ", "binance spot", "mocks"}) {
        const auto r = parse_provider(bad);
        ASSERT_FALSE(r) << bad;
        EXPECT_EQ(r.error(), RuntimeError::config("unknown provider: " + std::string(bad)));
    }
}

TEST(ConfigFromMap, ConvertsEachKeyAndReportsTheFirstBadValue) {
    const ConfigKeyValues values = {
        {"instance_id", " desk "},
        {"enable_persistence", " TRUE "},
        {"signal_threshold", "-5"},
        {"data_root", "/srv/data"},
        {"audit_log_path", "a.log"},
        {"audit_max_bytes", "+4096"},
        {"audit_max_files", "0"},
        {"audit_redact_tokens", "pin, ,otp"},
        {"data_retention_max_bytes", "10"},
        {"data_retention_max_age_secs", "20"},
        {"provider", "binance"},
        {"adapter.provider", " cqg "},
        {"endpoint", "tcp://top"},
        {"adapter.app_name", "app"},
        {"credentials_key_id_env", "K"},
        {"credentials.secret_env", "S"},
        {"unknown", "ignored"},
    };
    const auto c = config_from_map(values);
    ASSERT_TRUE(c) << c.error().display();
    EXPECT_EQ(c->instance_id, " desk ") << "texts are taken as stored";
    EXPECT_TRUE(c->enable_persistence);
    EXPECT_EQ(c->signal_threshold, -5);
    EXPECT_EQ(c->data_root, "/srv/data");
    EXPECT_EQ(c->audit_log_path, "a.log");
    EXPECT_EQ(c->audit_max_bytes, 4096u);
    EXPECT_EQ(c->audit_max_files, 0u);
    EXPECT_EQ(c->audit_redact_tokens, (Tokens{"pin", "otp"}));
    EXPECT_EQ(c->data_retention_max_bytes, 10u);
    EXPECT_EQ(c->data_retention_max_age_secs, 20u);
    EXPECT_EQ(c->adapter.provider, ProviderKind::Cqg) << "adapter.provider is looked up first";
    EXPECT_EQ(c->adapter.endpoint, "tcp://top");
    EXPECT_EQ(c->adapter.app_name, "app");
    ASSERT_TRUE(c->adapter.credentials);
    EXPECT_EQ(*c->adapter.credentials, (CredentialsRef{"K", "S"}));

    struct Bad {
        ConfigKeyValues values;
        std::string message;
    };
    const Bad bad[] = {
        {{{"enable_persistence", "yes"}, {"audit_max_bytes", "x"}},
         "invalid bool for enable_persistence: yes"},
        {{{"signal_threshold", "9223372036854775808"}},
         "invalid i64 for signal_threshold: "
         "9223372036854775808"},
        {{{"signal_threshold", "5 "}, {"audit_max_files", "-1"}},
         "invalid u32 for audit_max_files: -1"},
        {{{"audit_max_files", "4294967296"}}, "invalid u32 for audit_max_files: 4294967296"},
        {{{"data_retention_max_age_secs", "1.5"}},
         "invalid u64 for data_retention_max_age_secs: 1.5"},
        {{{"provider", "ftx"}}, "unknown provider: ftx"},
        {{{"adapter.credentials.key_id_env", "K"}},
         "credentials require both key_id_env and secret_env"},
    };
    for (const Bad& b : bad) {
        const auto r = config_from_map(b.values);
        ASSERT_FALSE(r) << b.message;
        EXPECT_EQ(r.error(), RuntimeError::config(b.message));
    }
    EXPECT_EQ(config_from_map({{"signal_threshold", "-9223372036854775808"}})->signal_threshold,
              INT64_MIN);
    EXPECT_EQ(*config_from_map({}), EngineConfig{}) << "an empty map gives the defaults";
}

TEST(ConfigFromTyped, AdapterSectionWinsAndCredentialNamesFallBackOneByOne) {
    RuntimeConfigFile f;
    f.provider = "binance";
    f.endpoint = "tcp://top";
    f.app_name = "top-app";
    f.credentials_secret_env = "TOP_SECRET";
    f.credentials = CredentialsRefFile{"IGNORED_KEY", "IGNORED_SECRET"};
    f.adapter = AdapterConfigFile{};
    f.adapter->endpoint = "tcp://adapter";
    f.adapter->credentials = CredentialsRefFile{"ADAPTER_KEY", std::nullopt};

    auto c = config_from_typed(f);
    ASSERT_TRUE(c) << c.error().display();
    EXPECT_EQ(c->adapter.provider, ProviderKind::Binance) << "top-level provider fills the gap";
    EXPECT_EQ(c->adapter.endpoint, "tcp://adapter");
    EXPECT_EQ(c->adapter.app_name, "top-app");
    ASSERT_TRUE(c->adapter.credentials);
    EXPECT_EQ(*c->adapter.credentials, (CredentialsRef{"ADAPTER_KEY", "TOP_SECRET"}))
        << "adapter.credentials replaces the top-level credentials section whole";

    f.credentials_secret_env.reset();
    c = config_from_typed(f);
    ASSERT_FALSE(c);
    EXPECT_EQ(c.error(),
              RuntimeError::config("credentials require both key_id_env and secret_env"));

    RuntimeConfigFile only_top;
    only_top.credentials = CredentialsRefFile{"K", "S"};
    only_top.endpoint = "  ";
    c = config_from_typed(only_top);
    ASSERT_TRUE(c);
    EXPECT_EQ(*c->adapter.credentials, (CredentialsRef{"K", "S"}));
    EXPECT_EQ(c->adapter.endpoint, "  ") << "a blank endpoint is stored";
    EXPECT_EQ(c->adapter.provider, ProviderKind::Mock);

    RuntimeConfigFile bad_provider;
    bad_provider.adapter = AdapterConfigFile{};
    bad_provider.adapter->provider = "nyse";
    bad_provider.provider = "mock";
    EXPECT_EQ(config_from_typed(bad_provider).error(),
              RuntimeError::config("unknown provider: nyse"));
}

TEST(ConfigFromTyped, RedactTokensFromArrayOrCsv) {
    struct Case {
        StringListOrCsv value;
        Tokens tokens;
    };
    const Case cases[] = {
        {Tokens{" a ", "", " ", "b"}, Tokens{"a", "b"}},
        {Tokens{}, Tokens{}},
        {std::string(""), Tokens{}},
        {std::string(" x , ,y "), Tokens{"x", "y"}},
    };
    for (const Case& c : cases) {
        RuntimeConfigFile f;
        f.audit_redact_tokens = c.value;
        EXPECT_EQ(config_from_typed(f)->audit_redact_tokens, c.tokens);
    }
    EXPECT_EQ(config_from_typed(RuntimeConfigFile{})->audit_redact_tokens,
              (Tokens{"secret", "password", "token", "api_key"}));
}

}  // namespace
}  // namespace qx
