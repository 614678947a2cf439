// Startup validation, the environment checks and the configuration digest.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "runtime/config/config_hash.h"
#include "runtime/config/config_validation.h"

namespace qx {
namespace {

// Sets or unsets an environment variable for one test and restores it afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }

  private:
    std::string name_;
    std::optional<std::string> old_;
};

std::string validation_message(const EngineConfig& c) {
    const auto r = validate_startup_config(c);
    if (r) {
        return "ok";
    }
    EXPECT_EQ(r.error().kind, RuntimeErrorKind::Config);
    return r.error().message;
}

TEST(ValidateStartupConfig, ChecksInOrderAndReportsTheFirstFailure) {
    struct Case {
        const char* what;
        std::function<void(EngineConfig&)> change;
        std::string message;
    };
    const Case cases[] = {
        {"defaults", [](EngineConfig&) {}, "ok"},
        {"blank instance id, bad threshold too",
         [](EngineConfig& c) {
             c.instance_id = " \t\xe3\x80\x80";
             c.signal_threshold = 0;
         },
         "instance_id must not be empty"},
        {"threshold, bad path too",
         [](EngineConfig& c) {
             c.signal_threshold = -1;
             c.audit_log_path = "";
         },
         "signal_threshold must be > 0"},
        {"audit path", [](EngineConfig& c) { c.audit_log_path = "  "; },
         "audit_log_path must not be empty"},
        {"audit bytes", [](EngineConfig& c) { c.audit_max_bytes = 0; },
         "audit_max_bytes must be > 0"},
        {"audit files", [](EngineConfig& c) { c.audit_max_files = 1001; },
         "audit_max_files must be <= 1000"},
        {"audit files 1000 passes", [](EngineConfig& c) { c.audit_max_files = 1000; }, "ok"},
        {"audit files 0 passes", [](EngineConfig& c) { c.audit_max_files = 0; }, "ok"},
        {"data root only matters with persistence", [](EngineConfig& c) { c.data_root = ""; },
         "ok"},
        {"data root",
         [](EngineConfig& c) {
             c.enable_persistence = true;
             c.data_root = " ";
         },
         "data_root must not be empty when persistence is enabled"},
        {"no retention limit", [](EngineConfig& c) { c.enable_persistence = true; },
         "set at least one of data_retention_max_bytes or data_retention_max_age_secs when "
         "persistence is enabled"},
        {"age limit alone passes",
         [](EngineConfig& c) {
             c.enable_persistence = true;
             c.data_retention_max_age_secs = 60;
         },
         "ok"},
        {"mock ignores adapter fields",
         [](EngineConfig& c) {
             c.adapter.credentials = CredentialsRef{"", ""};
         },
         "ok"},
        {"endpoint missing", [](EngineConfig& c) { c.adapter.provider = ProviderKind::Binance; },
         "non-mock providers require adapter.endpoint"},
        {"endpoint blank",
         [](EngineConfig& c) {
             c.adapter.provider = ProviderKind::Cqg;
             c.adapter.endpoint = "\t";
         },
         "non-mock providers require adapter.endpoint"},
        {"binance needs no credentials",
         [](EngineConfig& c) {
             c.adapter.provider = ProviderKind::Binance;
             c.adapter.endpoint = "wss://stream";
         },
         "ok"},
        {"rithmic needs credentials",
         [](EngineConfig& c) {
             c.adapter.provider = ProviderKind::Rithmic;
             c.adapter.endpoint = "tcp://r";
         },
         "rithmic/cqg providers require adapter.credentials references"},
    };
    for (const Case& c : cases) {
        EngineConfig config;
        c.change(config);
        EXPECT_EQ(validation_message(config), c.message) << c.what;
    }
}

TEST(ValidateStartupConfig, CredentialVariablesMustBeSetAndNotBlank) {
    EngineConfig c;
    c.adapter.provider = ProviderKind::Cqg;
    c.adapter.endpoint = "tcp://cqg";
    c.adapter.credentials = CredentialsRef{"QX_TEST_CFG_KEY", "QX_TEST_CFG_SECRET"};
    {
        ScopedEnv key("QX_TEST_CFG_KEY", nullptr);
        ScopedEnv secret("QX_TEST_CFG_SECRET", nullptr);
        EXPECT_EQ(validation_message(c), "missing required env var: QX_TEST_CFG_KEY")
            << "the key id is checked first";
    }
    {
        ScopedEnv key("QX_TEST_CFG_KEY", "id-123");
        ScopedEnv secret("QX_TEST_CFG_SECRET", " \t ");
        EXPECT_EQ(validation_message(c), "required env var is empty: QX_TEST_CFG_SECRET");
    }
    {
        ScopedEnv key("QX_TEST_CFG_KEY", "id-123");
        ScopedEnv secret("QX_TEST_CFG_SECRET", "hunter2");
        EXPECT_EQ(validation_message(c), "ok");
        const auto r = validate_env_var("QX_TEST_CFG_SECRET");
        EXPECT_TRUE(r);
    }
    {
        ScopedEnv key("QX_TEST_CFG_KEY", "\xff\xfe");
        const auto r = validate_env_var("QX_TEST_CFG_KEY");
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().message, "missing required env var: QX_TEST_CFG_KEY")
            << "a value that is not valid UTF-8 counts as missing";
    }
    ScopedEnv path_like("QX_TEST_CFG_KEY", "x");
    for (const std::string& name : {std::string(""), std::string("QX_TEST_CFG_KEY=x")}) {
        const auto r = validate_env_var(name);
        ASSERT_FALSE(r) << name;
        EXPECT_EQ(r.error().message, "missing required env var: " + name);
    }
}

TEST(ConfigHash, MatchesAnIndependentComputation) {
    // Both digests were computed outside this library from the byte stream the digest is
    // defined over (SipHash-1-3, zero key).
    EXPECT_EQ(config_hash(EngineConfig{}), "73e54ed00e760857");

    EngineConfig c;
    c.instance_id = "desk-7";
    c.enable_persistence = true;
    c.data_root = "/var/qx";
    c.audit_log_path = "a.log";
    c.audit_max_bytes = 4096;
    c.audit_max_files = 0;
    c.data_retention_max_bytes = 1ULL << 30;
    c.data_retention_max_age_secs = 86400;
    c.signal_threshold = -5;
    c.adapter.provider = ProviderKind::Cqg;
    EXPECT_EQ(config_hash(c), "4ccc0744a013ef91");
}

TEST(ConfigHash, IgnoresAdapterDetailsAndTokensButSeesEverythingElse) {
    const std::string base = config_hash(EngineConfig{});
    EngineConfig same;
    same.audit_redact_tokens = {"other"};
    same.adapter.endpoint = "tcp://x";
    same.adapter.app_name = "app";
    same.adapter.credentials = CredentialsRef{"K", "S"};
    EXPECT_EQ(config_hash(same), base);

    const std::function<void(EngineConfig&)> changes[] = {
        [](EngineConfig& c) { c.instance_id = "defaul"; },
        [](EngineConfig& c) { c.enable_persistence = true; },
        [](EngineConfig& c) { c.data_root = "dat"; },
        [](EngineConfig& c) { c.audit_log_path += "x"; },
        [](EngineConfig& c) { c.audit_max_bytes += 1; },
        [](EngineConfig& c) { c.audit_max_files += 1; },
        [](EngineConfig& c) { c.data_retention_max_bytes = 1; },
        [](EngineConfig& c) { c.data_retention_max_age_secs = 1; },
        [](EngineConfig& c) { c.signal_threshold = 101; },
        [](EngineConfig& c) { c.adapter.provider = ProviderKind::Binance; },
        // The 0xFF separators keep text boundaries apart.
        [](EngineConfig& c) {
            c.instance_id = "defaultd";
            c.data_root = "ata";
        },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        EngineConfig c;
        changes[i](c);
        const std::string h = config_hash(c);
        EXPECT_NE(h, base) << "change " << i;
        EXPECT_EQ(h.size(), 16u);
        EXPECT_EQ(h.find_first_not_of("0123456789abcdef"), std::string::npos) << h;
    }
}

}  // namespace
}  // namespace qx
