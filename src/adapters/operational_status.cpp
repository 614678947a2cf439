#include "adapters/operational_status.h"

#include <algorithm>
#include <tuple>

#include "adapters/endpoint_redaction.h"

namespace qx {

AdapterOperationalStatus& AdapterOperationalStatus::with_endpoint(
    const std::optional<std::string>& endpoint) {
    endpoint_redacted = endpoint ? redact_adapter_endpoint(*endpoint) : std::nullopt;
    return *this;
}

AdapterOperationalStatus& AdapterOperationalStatus::with_app_name(
    const std::optional<std::string>& name) {
    app_name = name;
    return *this;
}

AdapterOperationalStatus& AdapterOperationalStatus::with_subscribed_symbols(
    std::vector<SymbolId> symbols) {
    // std::string compares its characters as unsigned bytes, a prefix before longer texts.
    std::sort(symbols.begin(), symbols.end(), [](const SymbolId& a, const SymbolId& b) {
        return std::tie(a.venue, a.symbol) < std::tie(b.venue, b.symbol);
    });
    symbols.erase(std::unique(symbols.begin(), symbols.end()), symbols.end());
    subscription_count = symbols.size();
    subscribed_symbols = std::move(symbols);
    return *this;
}

}  // namespace qx
