#include "ffi/support/delivery.h"

#include <cstdlib>
#include <cstring>

namespace qx::ffi {

qx_status_t deliver_string(std::string_view text, char** out_json,
                           std::uint32_t* out_len) noexcept {
    if (text.find('\0') != std::string_view::npos) {
        return QX_STATUS_UNDELIVERABLE;
    }
    // malloc so that qx_string_free can release it with free() whatever built the text.
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr) {
        return QX_STATUS_UNDELIVERABLE;
    }
    if (!text.empty()) {
        std::memcpy(copy, text.data(), text.size());
    }
    copy[text.size()] = '\0';
    *out_json = copy;
    *out_len = static_cast<std::uint32_t>(text.size());
    return QX_STATUS_OK;
}

qx_status_t deliver_to_buffer(std::string_view text, void* buf, std::uint32_t* len) noexcept {
    if (buf == nullptr || len == nullptr) {
        return QX_STATUS_INVALID_ARGUMENT;
    }
    const std::uint32_t capacity = *len;
    const auto needed = static_cast<std::uint32_t>(text.size());
    *len = needed;
    if (capacity < needed || text.size() > UINT32_MAX) {
        return QX_STATUS_INVALID_ARGUMENT;
    }
    if (needed > 0) {
        std::memcpy(buf, text.data(), needed);
    }
    return QX_STATUS_OK;
}

}  // namespace qx::ffi
