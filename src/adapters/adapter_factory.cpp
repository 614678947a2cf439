#include "adapters/adapter_factory.h"

#include <string>

#include "adapters/adapter_descriptor.h"
#include "adapters/mock_adapter.h"

namespace qx {

Expected<std::unique_ptr<MarketDataAdapter>, AdapterError> create_adapter(
    const AdapterConfig& config) {
    if (config.provider == ProviderKind::Mock) {
        return std::unique_ptr<MarketDataAdapter>(std::make_unique<MockAdapter>());
    }
    const AdapterDescriptor d = describe_adapter(config.provider);
    const std::string feature(d.feature.value_or(provider_keyword(config.provider)));
    return Unexpected(AdapterError::feature_disabled("build the library with the '" + feature +
                                                     "' feature enabled to use this provider"));
}

}  // namespace qx
