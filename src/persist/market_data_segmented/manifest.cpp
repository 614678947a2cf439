#include "persist/market_data_segmented/manifest.h"

#include <string_view>

#include "support/fnv.h"
#include "support/fs.h"
#include "support/utf8.h"

namespace qx::persist {
namespace {

void append_field(std::string& out, std::uint64_t v) {
    out += std::to_string(v);
    out += ',';
}

}  // namespace

WalResult<std::string> format_manifest(const std::vector<MarketDataWalSegmentMetadata>& segments,
                                       std::uint64_t next_sequence, std::uint32_t chain_value) {
    std::string text = "QXMMS1\n";
    text +=
        "next=" + std::to_string(next_sequence) + ",previous=" + std::to_string(chain_value) + "\n";
    for (const MarketDataWalSegmentMetadata& m : segments) {
        const std::size_t slash = m.path.rfind('/');
        const std::string_view name = slash == std::string::npos
                                          ? std::string_view(m.path)
                                          : std::string_view(m.path).substr(slash + 1);
        if (name.empty() || name == "." || name == ".." || !is_valid_utf8(name)) {
            return Unexpected(
                WalIoError::invalid_data("market-data WAL segment filename is not UTF-8"));
        }
        append_field(text, m.id);
        append_field(text, m.first_sequence.value_or(0));
        append_field(text, m.last_sequence.value_or(0));
        append_field(text, m.frames);
        append_field(text, m.bytes);
        append_field(text, m.last_checksum);
        text += m.sealed ? "1," : "0,";
        text += name;
        text += '\n';
    }
    text += "checksum=" + std::to_string(fnv1a32(text)) + "\n";
    return text;
}

WalStatus write_manifest(const SegmentedMarketDataWalConfig& config,
                         const std::vector<MarketDataWalSegmentMetadata>& segments,
                         std::uint64_t next_sequence, std::uint32_t chain_value) {
    WalResult<std::string> text = format_manifest(segments, next_sequence, chain_value);
    if (!text) {
        return Unexpected(text.error());
    }
    fs::Status w = fs::write_file_atomic(fs::join(config.segment_root, kManifestFileName), *text,
                                         config.sync_manifest);
    if (!w) {
        return Unexpected(WalIoError::os(w.error()));
    }
    return {};
}

}  // namespace qx::persist
