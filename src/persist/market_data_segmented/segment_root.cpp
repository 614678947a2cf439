#include "persist/market_data_segmented/segment_root.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "persist/market_data_wal_frame.h"
#include "persist/market_data_wal_scan.h"
#include "support/fs.h"
#include "support/saturating.h"

namespace qx::persist {
namespace {

// Regular file, not reached through a symbolic link.
bool is_plain_file(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

WalResult<MarketDataWalRootReport> inspect_segment_root(const std::string& root) {
    MarketDataWalRootReport report;
    if (!fs::metadata(root)) {
        return report;
    }
    fs::Result<std::vector<fs::DirEntry>> entries = fs::list_dir(root);
    if (!entries) {
        return Unexpected(WalIoError::os(entries.error()));
    }

    std::vector<std::pair<MarketDataWalSegmentId, std::string>> files;
    for (const fs::DirEntry& e : *entries) {
        if (!looks_like_segment_file_name(e.name)) {
            continue;
        }
        const std::string path = fs::join(root, e.name);
        if (!is_plain_file(path)) {
            continue;
        }
        WalResult<MarketDataWalSegmentId> id = parse_segment_file_name(e.name);
        if (!id) {
            return Unexpected(id.error());
        }
        files.emplace_back(*id, path);
    }
    std::sort(files.begin(), files.end());
    for (std::size_t i = 1; i < files.size(); ++i) {
        if (files[i].first == files[i - 1].first) {
            return Unexpected(WalIoError::invalid_data("duplicate market-data WAL segment id"));
        }
    }

    std::uint64_t next_expected = 1;
    std::uint32_t chain = 0;
    const MarketDataWalSegmentMetadata* previous = nullptr;
    for (const auto& [id, path] : files) {
        WalResult<MarketDataWalScanSummary> scan =
            scan_market_data_wal_into_from(path, next_expected, chain, nullptr);
        if (!scan) {
            return Unexpected(scan.error());
        }
        const bool broken =
            previous == nullptr ? id != 1 : (id != previous->id + 1 || !previous->sealed);
        if (broken) {
            report.clean = false;
            report.sequence_gaps = sat_add(report.sequence_gaps, std::uint64_t{1});
        }

        MarketDataWalSegmentMetadata meta;
        meta.id = id;
        meta.path = path;
        meta.frames = scan->frames;
        meta.bytes = scan->bytes;
        meta.last_sequence = scan->last_sequence;
        if (scan->frames > 0) {
            meta.first_sequence = next_expected;
        }
        meta.last_checksum = scan->last_checksum;
        meta.sealed = scan->frames > 0 && scan->last_kind == kMarketDataWalKindSegmentSeal;

        report.frames = sat_add(report.frames, scan->frames);
        report.bytes = sat_add(report.bytes, scan->bytes);
        report.integrity_failures = sat_add(report.integrity_failures, scan->integrity_failures);
        report.sequence_gaps = sat_add(report.sequence_gaps, scan->sequence_gaps);
        report.clean = report.clean && scan->clean;
        report.truncated_tail = report.truncated_tail || scan->truncated_tail;
        if (scan->last_sequence) {
            report.last_sequence = scan->last_sequence;
            next_expected = sat_add(*scan->last_sequence, std::uint64_t{1});
            chain = scan->last_checksum;
        }
        report.segments.push_back(std::move(meta));
        previous = &report.segments.back();
    }
    return report;
}

}  // namespace qx::persist
