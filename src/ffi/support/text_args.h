// Reading text arguments and symbol references handed in by the host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/market_data.h"
#include "qx/qx.h"

namespace qx::ffi {

// A required text: NULL or invalid UTF-8 gives nullopt; the empty string is a value. The view
// borrows the host's memory for the duration of the call.
std::optional<std::string_view> required_text(const char* text) noexcept;

// An optional text: NULL, invalid UTF-8, empty or all Unicode white space means absent;
// otherwise the whole string, untrimmed.
std::optional<std::string> non_empty_string(const char* text);

// A symbol reference resolved without copying: venue and symbol borrow the host's strings.
struct SymbolRefView {
    SymbolView id;
    std::uint16_t depth_levels = 0;
};

// Validates a symbol reference (the record pointer itself has been checked by the caller):
// nullopt when either text pointer is NULL or either text is not valid UTF-8.
std::optional<SymbolRefView> symbol_view_from_ffi_ref(const qx_symbol_ref_t* ref) noexcept;

struct FfiSymbol {
    SymbolId id;
    std::uint16_t depth_levels = 0;
};

// As symbol_view_from_ffi_ref, with venue and symbol copied into an owned SymbolId.
std::optional<FfiSymbol> symbol_from_ffi_ref(const qx_symbol_ref_t* ref);

}  // namespace qx::ffi
