#include "support/thread_name.h"

#include <pthread.h>

#include <cstring>

namespace qx {

void set_current_thread_name(std::string_view name) noexcept {
    char text[kMaxOsThreadNameBytes + 1] = {};
    const std::size_t n = name.size() < kMaxOsThreadNameBytes ? name.size() : kMaxOsThreadNameBytes;
    std::memcpy(text, name.data(), n);
    (void)pthread_setname_np(pthread_self(), text);
}

}  // namespace qx
