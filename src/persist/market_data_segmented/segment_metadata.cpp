#include "persist/market_data_segmented/segment_metadata.h"

#include <cstdio>

namespace qx::persist {

std::string segment_file_name(MarketDataWalSegmentId id) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%020llu", static_cast<unsigned long long>(id));
    std::string name(kSegmentFilePrefix);
    name += digits;
    name += kSegmentFileSuffix;
    return name;
}

bool looks_like_segment_file_name(std::string_view name) noexcept {
    return name.size() > 12 && name.starts_with(kSegmentFilePrefix) &&
           name.ends_with(kSegmentFileSuffix);
}

WalResult<MarketDataWalSegmentId> parse_segment_file_name(std::string_view name) {
    const auto invalid = [] {
        return Unexpected(WalIoError::invalid_data("invalid market-data WAL segment filename"));
    };
    if (!looks_like_segment_file_name(name)) {
        return invalid();
    }
    std::string_view digits =
        name.substr(kSegmentFilePrefix.size(),
                    name.size() - kSegmentFilePrefix.size() - kSegmentFileSuffix.size());
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return invalid();
    }
    std::uint64_t id = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return invalid();
        }
        if (__builtin_mul_overflow(id, std::uint64_t{10}, &id) ||
            __builtin_add_overflow(id, static_cast<std::uint64_t>(c - '0'), &id)) {
            return invalid();
        }
    }
    if (id == 0) {
        return Unexpected(WalIoError::invalid_data("market-data WAL segment id is zero"));
    }
    return id;
}

}  // namespace qx::persist
