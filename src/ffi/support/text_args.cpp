#include "ffi/support/text_args.h"

#include <cstring>

#include "support/utf8.h"

namespace qx::ffi {

std::optional<std::string_view> required_text(const char* text) noexcept {
    if (text == nullptr) {
        return std::nullopt;
    }
    const std::string_view view(text, std::strlen(text));
    if (!is_valid_utf8(view)) {
        return std::nullopt;
    }
    return view;
}

std::optional<std::string> non_empty_string(const char* text) {
    const std::optional<std::string_view> view = required_text(text);
    if (!view || is_blank_utf8(*view)) {
        return std::nullopt;
    }
    return std::string(*view);
}

std::optional<SymbolRefView> symbol_view_from_ffi_ref(const qx_symbol_ref_t* ref) noexcept {
    const std::optional<std::string_view> venue = required_text(ref->venue);
    const std::optional<std::string_view> symbol = required_text(ref->symbol);
    if (!venue || !symbol) {
        return std::nullopt;
    }
    return SymbolRefView{{*venue, *symbol}, ref->depth_levels};
}

std::optional<FfiSymbol> symbol_from_ffi_ref(const qx_symbol_ref_t* ref) {
    const std::optional<SymbolRefView> view = symbol_view_from_ffi_ref(ref);
    if (!view) {
        return std::nullopt;
    }
    return FfiSymbol{SymbolId::from(view->id), view->depth_levels};
}

}  // namespace qx::ffi
