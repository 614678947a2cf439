// A human-readable copy of every trade and book update: one JSON object per line in
// root/<venue>/<symbol>/trades.jsonl and book.jsonl, with venue and symbol made into safe
// directory names (persist/path_component.h). After every line a retention policy deletes the
// store's oldest stream files by age and by total size. Nothing stays open between calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/market_data.h"
#include "persist/persist_error.h"
#include "support/expected.h"

namespace qx::persist {

// Each limit set to 0 is not applied.
struct RetentionPolicy {
    std::uint64_t max_bytes = 0;
    std::uint64_t max_age_secs = 0;
};

struct FileMeta {
    std::string path;
    std::uint64_t modified_ns = 0;  // wall clock, nanoseconds since the Unix epoch
    std::uint64_t size = 0;
};

using PersistStatus = Expected<void, PersistError>;

// {"schema":1,"seq":..,"price":..,"size":..,"aggressor":"Bid|Ask","ts_exchange_ns":..,
//  "ts_recv_ns":..}
std::string format_trade_row(const TradePrint& trade);
// {"schema":1,"seq":..,"side":"Bid|Ask","level":..,"price":..,"size":..,
//  "action":"Upsert|Delete","ts_exchange_ns":..,"ts_recv_ns":..}
std::string format_book_row(const BookUpdate& update);

// Every regular file in `directory` and below, in name order per directory; symbolic links and
// other entries are ignored. A directory that cannot be examined adds nothing and succeeds.
PersistStatus collect_files(const std::string& directory, std::vector<FileMeta>& out);

class RollingStore {
  public:
    RollingStore(std::string root, std::optional<RetentionPolicy> retention);

    PersistStatus append_trade(const TradePrint& trade);  // stream "trades"
    PersistStatus append_book(const BookUpdate& update);  // stream "book"

    // Creates root/<venue>/<symbol> as needed, appends `row` and a line feed to
    // "<stream>.jsonl" there, then prunes when a retention policy is set. A pruning error is
    // returned although the row is already written.
    PersistStatus append_line(std::string_view venue, std::string_view symbol,
                              std::string_view stream, std::string_view row);

    // Applies the retention policy with the wall clock as it reads now.
    PersistStatus prune_if_needed();
    // Age pass (files at least max_age_secs old, in whole seconds, are deleted), then size pass
    // (oldest first while the total is above max_bytes). Only the store's own stream files
    // (root/<venue>/<symbol>/trades.jsonl and book.jsonl) are counted and deleted; anything
    // else under the root is left alone. Deletion failures are skipped.
    PersistStatus prune_at(std::uint64_t now_ns);

    // The file a stream of an instrument is written to.
    std::string stream_path(std::string_view venue, std::string_view symbol,
                            std::string_view stream) const;

    // The store's stream files, directory by directory in name order.
    PersistStatus collect_stream_files(std::vector<FileMeta>& out) const;

    const std::string& root() const noexcept { return root_; }
    const std::optional<RetentionPolicy>& retention() const noexcept { return retention_; }

  private:
    std::string root_;
    std::optional<RetentionPolicy> retention_;
};

}  // namespace qx::persist
