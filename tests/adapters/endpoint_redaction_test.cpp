#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "adapters/endpoint_redaction.h"
#include "adapters/operational_status.h"

namespace qx {
namespace {

TEST(RedactAdapterEndpoint, KeepsSchemeHostAndPortOnly) {
    struct Case {
        const char* endpoint;
        std::optional<std::string> redacted;
    };
    const Case cases[] = {
        {" \tWSS://user:p@ss@feed.example.com:9443/v1/stream?token=abc \t",
         "wss://feed.example.com:9443"},
        {"tcp://10.0.0.1:7000", "tcp://10.0.0.1:7000"},
        {"svn+ssh.x-y://host#frag", "svn+ssh.x-y://host"},
        {"https://host?x=1", "https://host"},
        {"https://[::1]:80/", "https://[::1]:80"},
        {"http://h\xc3\xa9st", "http://h\xc3\xa9st"},  // non-ASCII host bytes pass
        {"\xe3\x80\x80tcp://h\xc2\xa0", "tcp://h"},    // Unicode white space trimmed
        {"host:9000", std::nullopt},                   // no "://"
        {"1tcp://host", std::nullopt},                 // scheme starts with a digit
        {"://host", std::nullopt},                     // empty scheme
        {"t_p://host", std::nullopt},                  // '_' not allowed in a scheme
        {"tcp://user@", std::nullopt},                 // nothing after the last '@'
        {"tcp://user@/path", std::nullopt},
        {"tcp:///path", std::nullopt},     // empty authority
        {"tcp://my host", std::nullopt},   // space in the host
        {"tcp://ho\x01st", std::nullopt},  // control character
        {"tcp://ho\x7fst", std::nullopt},  // DEL
    };
    for (const Case& c : cases) {
        EXPECT_EQ(redact_adapter_endpoint(c.endpoint), c.redacted) << "'" << c.endpoint << "'";
    }
}

TEST(OperationalStatus, BuildersRedactCopyAndSort) {
    AdapterOperationalStatus s;
    s.with_endpoint(std::string("tcp://u:pw@h:1/x"))
        .with_app_name(std::string("app"))
        .with_subscribed_symbols({{"b", "x"}, {"a", "y"}, {"a", "x"}, {"b", "x"}});
    EXPECT_EQ(s.endpoint_redacted, "tcp://h:1");
    EXPECT_EQ(s.app_name, "app");
    EXPECT_EQ(s.subscribed_symbols, (std::vector<SymbolId>{{"a", "x"}, {"a", "y"}, {"b", "x"}}));
    EXPECT_EQ(s.subscription_count, 3u);

    s.with_endpoint(std::string("not an endpoint")).with_app_name(std::nullopt);
    EXPECT_FALSE(s.endpoint_redacted);
    EXPECT_FALSE(s.app_name);
    s.with_endpoint(std::nullopt);
    EXPECT_FALSE(s.endpoint_redacted);
}

}  // namespace
}  // namespace qx
