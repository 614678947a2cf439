#include "persist/market_data_writer/thread_name.h"

#include <pthread.h>

namespace qx::persist {

std::string os_thread_name(std::string_view name) {
    const std::size_t nul = name.find('\0');
    if (nul != std::string_view::npos) {
        name = name.substr(0, nul);
    }
    if (name.size() <= kMaxOsThreadNameBytes) {
        return std::string(name);
    }
    std::size_t cut = kMaxOsThreadNameBytes;
    // Step back over UTF-8 continuation bytes so no character is split.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(name.substr(0, cut));
}

void name_current_thread(std::string_view name) noexcept {
    try {
        const std::string os_name = os_thread_name(name);
        (void)::pthread_setname_np(::pthread_self(), os_name.c_str());
    } catch (...) {
    }
}

}  // namespace qx::persist
