// Naming the calling thread for the operating system (visible in debuggers, top and
// /proc/<pid>/task/<tid>/comm).
#pragma once

#include <cstddef>
#include <string_view>

namespace qx {

// The longest name the system keeps, in bytes, without the terminating NUL.
inline constexpr std::size_t kMaxOsThreadNameBytes = 15;

// Names the calling thread; a longer name is cut to its first kMaxOsThreadNameBytes bytes.
// Naming is best effort: a failure is ignored, since no thread's work depends on its name.
void set_current_thread_name(std::string_view name) noexcept;

}  // namespace qx
