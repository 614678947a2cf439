// The engine's append-only trail of control events: one JSON line per event, secret words in
// the details replaced by "[REDACTED]", and rotation by size into numbered siblings
// (path.1 newest ... path.max_files oldest).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/engine/runtime_error.h"
#include "support/expected.h"

namespace qx {

class AuditLog {
  public:
    AuditLog(std::string path, std::vector<std::string> redact_tokens, std::uint64_t max_bytes,
             std::uint32_t max_files);

    // Writes {"event":E,"details":D,"ts":S} and a line feed, where D is `details` (a JSON
    // object text) after redaction and S the wall clock in whole seconds. Rotates first when the
    // line would take the file past max_bytes. Opens, writes and closes the file each time.
    // Failures are I/O errors carrying the operating system's text; rotation steps already
    // done stay done.
    Expected<void, RuntimeError> append(std::string_view event, std::string_view details) const;

    // As append with an explicit timestamp in seconds.
    Expected<void, RuntimeError> append_at(std::string_view event, std::string_view details,
                                           std::uint64_t ts_secs) const;

    // Each non-empty token as configured, then in ASCII lower case, then in ASCII upper case,
    // is replaced by "[REDACTED]" wherever it occurs (left to right, without overlap).
    std::string redact(std::string_view details) const;

    const std::string& path() const noexcept { return path_; }
    const std::vector<std::string>& redact_tokens() const noexcept { return redact_tokens_; }
    std::uint64_t max_bytes() const noexcept { return max_bytes_; }
    std::uint32_t max_files() const noexcept { return max_files_; }

  private:
    Expected<void, RuntimeError> rotate() const;

    std::string path_;
    std::vector<std::string> redact_tokens_;
    std::uint64_t max_bytes_;
    std::uint32_t max_files_;
};

// "{path}.{n}".
std::string rotated_path(std::string_view path, std::uint32_t n);

}  // namespace qx
