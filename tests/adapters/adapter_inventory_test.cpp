// The provider descriptors, their JSON and the inventory export.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "adapters/adapter_descriptor.h"
#include "qx/qx.h"

namespace qx {
namespace {

TEST(AdapterDescriptor, MockDocumentExactly) {
    EXPECT_EQ(
        format_adapter_descriptor_json(describe_adapter(ProviderKind::Mock), ProviderKind::Mock),
        "{\"provider\":\"mock\",\"provider_id\":\"mock\",\"display_name\":\"Mock\","
        "\"feature\":null,\"compiled\":true,\"quality\":\"simulation\","
        "\"supports_live\":false,\"supports_replay\":true,\"supports_trades\":true,"
        "\"supports_order_book\":true,\"supports_level2\":true,"
        "\"supports_reconnect\":false,\"supports_gap_recovery\":false,"
        "\"supports_backpressure\":false,\"supports_raw_capture\":false,"
        "\"supports_fixture_replay\":false,\"supports_stale_detection\":false,"
        "\"supports_latency_metrics\":false,\"supports_polling\":true,\"active\":true,"
        "\"notes\":\"deterministic in-memory adapter for tests, demos, and replay "
        "harnesses\"}");
}

TEST(AdapterDescriptor, VenueRows) {
    struct Row {
        ProviderKind kind;
        const char* id;
        const char* display;
        AdapterQuality quality;
    };
    const Row rows[] = {
        {ProviderKind::Rithmic, "rithmic", "Rithmic", AdapterQuality::Scaffold},
        {ProviderKind::Cqg, "cqg", "CQG", AdapterQuality::Functional},
        {ProviderKind::Binance, "binance", "Binance", AdapterQuality::Scaffold},
    };
    for (const Row& r : rows) {
        const AdapterDescriptor d = describe_adapter(r.kind);
        EXPECT_EQ(d.provider, r.kind);
        EXPECT_EQ(d.provider_id, r.id);
        EXPECT_EQ(d.display_name, r.display);
        EXPECT_EQ(d.feature, r.id);
        EXPECT_FALSE(d.compiled);
        EXPECT_EQ(d.quality, r.quality);
        EXPECT_FALSE(d.supports_replay || d.supports_live || d.supports_reconnect);
        EXPECT_TRUE(d.supports_trades && d.supports_order_book && d.supports_level2 &&
                    d.supports_polling);
    }
    EXPECT_EQ(describe_adapter(ProviderKind::Cqg).notes,
              "feature-gated CQG adapter with reconnect/resubscribe hardening");
}

TEST(AdapterInventory, FourAdaptersOnlyTheMockCompiled) {
    const std::string text = adapter_inventory_json();
    const auto doc = nlohmann::json::parse(text);
    EXPECT_EQ(text.rfind("{\"schema_version\":1,\"adapters\":[{\"provider\":\"mock\"", 0), 0u);
    const std::string tail = "\"}],\"compiled_count\":1,\"total_count\":4}";
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    ASSERT_EQ(doc["adapters"].size(), 4u);
    const char* order[] = {"mock", "rithmic", "cqg", "binance"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(doc["adapters"][i]["provider"], order[i]);
        EXPECT_EQ(doc["adapters"][i]["compiled"], i == 0);
        EXPECT_EQ(doc["adapters"][i]["active"], false);
    }
    EXPECT_NE(text.find("harnesses\"},{\"provider\":\"rithmic\""), std::string::npos)
        << "descriptors are separated by single commas";

    const auto active = nlohmann::json::parse(format_adapter_inventory_json(ProviderKind::Cqg));
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(active["adapters"][i]["active"], i == 2);
    }
}

TEST(AdapterInventoryExport, DeliversTheInventoryAndChecksPointers) {
    char* out = nullptr;
    uint32_t len = 0;
    ASSERT_EQ(qx_get_adapter_inventory_json(&out, &len), QX_STATUS_OK);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(out, len), adapter_inventory_json());
    EXPECT_EQ(out[len], '\0');
    qx_string_free(out);

    char sentinel = 'x';
    char* untouched = &sentinel;
    uint32_t len2 = 7;
    EXPECT_EQ(qx_get_adapter_inventory_json(nullptr, &len2), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_get_adapter_inventory_json(&untouched, nullptr), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(untouched, &sentinel);
    EXPECT_EQ(len2, 7u);
}

}  // namespace
}  // namespace qx
