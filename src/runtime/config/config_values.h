// Conversions of configuration value texts, shared by the mappings of typed and legacy files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/config/engine_config.h"
#include "runtime/engine/runtime_error.h"
#include "support/expected.h"

namespace qx {

// Trimmed; an optional leading '+' and one or more decimal digits fitting in 64 bits. Otherwise
// the configuration error "invalid u64 for {key}: {value}" with the untrimmed value.
Expected<std::uint64_t, RuntimeError> parse_u64(std::string_view value, std::string_view key);

// Trimmed and ASCII-lowercased: "true" or "false", else "invalid bool for {key}: {value}".
Expected<bool, RuntimeError> parse_bool_value(std::string_view value, std::string_view key);

// Trimmed; optional '+' or '-' and decimal digits fitting in a signed 64-bit value, else
// "invalid i64 for {key}: {value}".
Expected<std::int64_t, RuntimeError> parse_i64_value(std::string_view value, std::string_view key);

// Trimmed; optional '+' and decimal digits fitting in 32 bits, else
// "invalid u32 for {key}: {value}".
Expected<std::uint32_t, RuntimeError> parse_u32_value(std::string_view value, std::string_view key);

// Splits at every comma, trims each piece and drops empty ones, keeping their order.
std::vector<std::string> parse_csv(std::string_view text);

// Trimmed and ASCII-lowercased: "mock", "rithmic", "cqg", or "binance" / "binance_spot" /
// "crypto_binance". Anything else fails with "unknown provider: {text}" (text as passed).
Expected<ProviderKind, RuntimeError> parse_provider(std::string_view text);

}  // namespace qx
