#include "runtime/config/config_hash.h"

#include <cstdint>

#include "support/siphash.h"

namespace qx {
namespace {

void put_le(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

void put_text(std::string& out, const std::string& text) {
    out += text;
    out.push_back(static_cast<char>(0xFF));
}

}  // namespace

std::string config_hash(const EngineConfig& c) {
    std::string bytes;
    bytes.reserve(c.instance_id.size() + c.data_root.size() + c.audit_log_path.size() + 42);
    put_text(bytes, c.instance_id);
    bytes.push_back(c.enable_persistence ? 1 : 0);
    put_text(bytes, c.data_root);
    put_text(bytes, c.audit_log_path);
    put_le(bytes, c.audit_max_bytes, 8);
    put_le(bytes, c.audit_max_files, 4);
    put_le(bytes, c.data_retention_max_bytes, 8);
    put_le(bytes, c.data_retention_max_age_secs, 8);
    put_le(bytes, static_cast<std::uint64_t>(c.signal_threshold), 8);
    bytes.push_back(static_cast<char>(c.adapter.provider));

    const std::uint64_t h = siphash13(bytes);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 0; i < 16; ++i) {
        out[15 - i] = kHex[(h >> (4 * i)) & 0xF];
    }
    return out;
}

}  // namespace qx
