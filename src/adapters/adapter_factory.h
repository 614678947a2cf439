// Building the configured market-data adapter.
#pragma once

#include <memory>

#include "adapters/adapter_error.h"
#include "adapters/market_data_adapter.h"
#include "runtime/config/engine_config.h"
#include "support/expected.h"

namespace qx {

// The mock gives a new, disconnected MockAdapter (endpoint, app name and credentials unused).
// The venue providers are not part of this build and fail with the feature-disabled error,
// whose text names the build feature that would enable them.
Expected<std::unique_ptr<MarketDataAdapter>, AdapterError> create_adapter(
    const AdapterConfig& config);

}  // namespace qx
