#include "runtime/engine/audit_log.h"

#include "support/ascii_case.h"
#include "support/clock.h"
#include "support/fs.h"
#include "support/json_escape.h"

namespace qx {
namespace {

constexpr std::string_view kRedacted = "[REDACTED]";

void replace_all(std::string& text, std::string_view needle) {
    if (needle.empty() || text.find(needle) == std::string::npos) {
        return;
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit = text.find(needle); hit != std::string::npos;
         hit = text.find(needle, pos)) {
        out.append(text, pos, hit - pos).append(kRedacted);
        pos = hit + needle.size();
    }
    out.append(text, pos, std::string::npos);
    text = std::move(out);
}

Expected<void, RuntimeError> io_failure(fs::Error e) {
    return Unexpected(RuntimeError::io(std::move(e)));
}

}  // namespace

std::string rotated_path(std::string_view path, std::uint32_t n) {
    std::string out(path);
    out.push_back('.');
    out += std::to_string(n);
    return out;
}

AuditLog::AuditLog(std::string path, std::vector<std::string> redact_tokens,
                   std::uint64_t max_bytes, std::uint32_t max_files)
    : path_(std::move(path)),
      redact_tokens_(std::move(redact_tokens)),
      max_bytes_(max_bytes),
      max_files_(max_files) {}

std::string AuditLog::redact(std::string_view details) const {
    std::string out(details);
    for (const std::string& token : redact_tokens_) {
        if (token.empty()) {
            continue;
        }
        replace_all(out, token);
        replace_all(out, ascii_lower(token));
        replace_all(out, ascii_upper(token));
    }
    return out;
}

Expected<void, RuntimeError> AuditLog::rotate() const {
    if (max_files_ == 0) {
        if (fs::exists(path_)) {
            if (auto r = fs::remove_file(path_); !r) {
                return io_failure(r.error());
            }
        }
        return {};
    }
    const std::string oldest = rotated_path(path_, max_files_);
    if (fs::exists(oldest)) {
        if (auto r = fs::remove_file(oldest); !r) {
            return io_failure(r.error());
        }
    }
    for (std::uint32_t n = max_files_ - 1; n >= 1; --n) {
        const std::string from = rotated_path(path_, n);
        if (fs::exists(from)) {
            if (auto r = fs::rename_path(from, rotated_path(path_, n + 1)); !r) {
                return io_failure(r.error());
            }
        }
    }
    if (fs::exists(path_)) {
        if (auto r = fs::rename_path(path_, rotated_path(path_, 1)); !r) {
            return io_failure(r.error());
        }
    }
    return {};
}

Expected<void, RuntimeError> AuditLog::append(std::string_view event,
                                              std::string_view details) const {
    return append_at(event, details, unix_ts_nanos() / 1000000000ULL);
}

Expected<void, RuntimeError> AuditLog::append_at(std::string_view event, std::string_view details,
                                                 std::uint64_t ts_secs) const {
    std::string line = "{\"event\":\"";
    append_escaped_json(line, event);
    line += "\",\"details\":";
    line += redact(details);
    line += ",\"ts\":";
    line += std::to_string(ts_secs);
    line += "}\n";

    if (max_bytes_ != 0) {
        const std::uint64_t len = line.size();
        const auto meta = fs::metadata(path_);
        const bool too_big = meta ? meta->size + len > max_bytes_ : len > max_bytes_;
        if (too_big) {
            if (auto r = rotate(); !r) {
                return r;
            }
        }
    }
    if (auto r = fs::append_to_file(path_, line); !r) {
        return io_failure(r.error());
    }
    return {};
}

}  // namespace qx
