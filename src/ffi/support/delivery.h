// The two ways text leaves the library: a returned string the host frees with qx_string_free,
// and a copy into a buffer the host provides.
#pragma once

#include <cstdint>
#include <string_view>

#include "qx/qx.h"

namespace qx::ffi {

// Delivers `text` as a newly allocated NUL-terminated string. The caller has checked that both
// out pointers are non-NULL. A text holding a NUL byte is discarded with status 255; on any
// non-zero status the out-parameters are not written.
qx_status_t deliver_string(std::string_view text, char** out_json, std::uint32_t* out_len) noexcept;

// Copies `text` into the caller's buffer: 1 and nothing written when buf or len is NULL;
// otherwise *len becomes the needed size, and the copy (no NUL) happens only when the capacity
// read from *len on entry suffices.
qx_status_t deliver_to_buffer(std::string_view text, void* buf, std::uint32_t* len) noexcept;

}  // namespace qx::ffi
