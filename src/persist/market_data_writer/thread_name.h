// Naming the writer's worker thread. Linux keeps at most 15 bytes of a thread name (16 with the
// terminator), so a longer name is cut for the operating system; the library keeps reporting
// the whole name.
#pragma once

#include <string>
#include <string_view>

namespace qx::persist {

inline constexpr std::size_t kMaxOsThreadNameBytes = 15;

// `name` cut to at most 15 bytes, at a character boundary of UTF-8 text and before any NUL.
std::string os_thread_name(std::string_view name);

// Names the calling thread for the operating system; a refusal is ignored, since a name is
// only a debugging aid.
void name_current_thread(std::string_view name) noexcept;

}  // namespace qx::persist
