// The static description of every known provider and the inventory document built from it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "adapters/adapter_types.h"
#include "runtime/config/engine_config.h"

namespace qx {

struct AdapterDescriptor {
    ProviderKind provider = ProviderKind::Mock;
    std::string_view provider_id;
    std::string_view display_name;
    std::optional<std::string_view> feature;  // the build feature that would enable the provider
    bool compiled = false;                    // present in this build
    AdapterQuality quality = AdapterQuality::Experimental;
    bool supports_live = false;
    bool supports_replay = false;
    bool supports_trades = false;
    bool supports_order_book = false;
    bool supports_level2 = false;
    bool supports_reconnect = false;
    bool supports_gap_recovery = false;
    bool supports_backpressure = false;
    bool supports_raw_capture = false;
    bool supports_fixture_replay = false;
    bool supports_stale_detection = false;
    bool supports_latency_metrics = false;
    bool supports_polling = false;
    std::string_view notes;
};

// A copy of the provider's row of the descriptor table.
AdapterDescriptor describe_adapter(ProviderKind provider);

// One descriptor object; `active` is true when `active` names this descriptor's provider.
std::string format_adapter_descriptor_json(const AdapterDescriptor& d,
                                           std::optional<ProviderKind> active);

// {"schema_version":1,"adapters":[mock,rithmic,cqg,binance],"compiled_count":1,"total_count":4}
std::string format_adapter_inventory_json(std::optional<ProviderKind> active);

// The inventory with no active provider, as qx_get_adapter_inventory_json returns it.
std::string adapter_inventory_json();

}  // namespace qx
