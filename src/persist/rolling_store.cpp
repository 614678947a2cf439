#include "persist/rolling_store.h"

#include <algorithm>

#include "persist/path_component.h"
#include "support/clock.h"
#include "support/fs.h"
#include "support/json_writer.h"

namespace qx::persist {
namespace {

constexpr std::string_view kStreamFiles[] = {"book.jsonl", "trades.jsonl"};

Unexpected<PersistError> failure(fs::Error e) {
    return Unexpected(PersistError{std::move(e)});
}

// Subdirectories of `dir` (not links to directories), in name order.
Expected<std::vector<std::string>, PersistError> subdirectories(const std::string& dir) {
    auto entries = fs::list_dir(dir);
    if (!entries) {
        return failure(std::move(entries.error()));
    }
    std::vector<std::string> out;
    for (const fs::DirEntry& e : *entries) {
        const std::string path = fs::join(dir, e.name);
        auto meta = fs::symlink_metadata(path);
        if (!meta) {
            return failure(std::move(meta.error()));
        }
        if (meta->is_dir) {
            out.push_back(path);
        }
    }
    return out;
}

std::uint64_t total_size(const std::vector<FileMeta>& files) {
    std::uint64_t total = 0;
    for (const FileMeta& f : files) {
        total += f.size;
    }
    return total;
}

}  // namespace

std::string format_trade_row(const TradePrint& t) {
    JsonWriter w(160);
    w.begin_object();
    w.key("schema").u64(1);
    w.key("seq").u64(t.sequence);
    w.key("price").i64(t.price);
    w.key("size").i64(t.size);
    w.key("aggressor").string(side_text(t.aggressor));
    w.key("ts_exchange_ns").u64(t.ts_exchange_ns);
    w.key("ts_recv_ns").u64(t.ts_recv_ns);
    w.end_object();
    return std::move(w).take();
}

std::string format_book_row(const BookUpdate& u) {
    JsonWriter w(192);
    w.begin_object();
    w.key("schema").u64(1);
    w.key("seq").u64(u.sequence);
    w.key("side").string(side_text(u.side));
    w.key("level").u64(u.level);
    w.key("price").i64(u.price);
    w.key("size").i64(u.size);
    w.key("action").string(book_action_text(u.action));
    w.key("ts_exchange_ns").u64(u.ts_exchange_ns);
    w.key("ts_recv_ns").u64(u.ts_recv_ns);
    w.end_object();
    return std::move(w).take();
}

PersistStatus collect_files(const std::string& directory, std::vector<FileMeta>& out) {
    if (!fs::symlink_metadata(directory)) {
        return {};  // missing or unreadable: nothing to list
    }
    auto entries = fs::list_dir(directory);
    if (!entries) {
        return failure(std::move(entries.error()));
    }
    for (const fs::DirEntry& e : *entries) {
        const std::string path = fs::join(directory, e.name);
        auto meta = fs::symlink_metadata(path);
        if (!meta) {
            return failure(std::move(meta.error()));
        }
        if (meta->is_file) {
            out.push_back(FileMeta{path, meta->mtime_ns, meta->size});
        } else if (meta->is_dir) {
            if (auto r = collect_files(path, out); !r) {
                return r;
            }
        }
    }
    return {};
}

RollingStore::RollingStore(std::string root, std::optional<RetentionPolicy> retention)
    : root_(std::move(root)), retention_(retention) {}

std::string RollingStore::stream_path(std::string_view venue, std::string_view symbol,
                                      std::string_view stream) const {
    const std::string dir =
        fs::join(fs::join(root_, encode_path_component(venue)), encode_path_component(symbol));
    return fs::join(dir, encode_path_component(std::string(stream) + ".jsonl"));
}

PersistStatus RollingStore::append_trade(const TradePrint& trade) {
    return append_line(trade.symbol.venue, trade.symbol.symbol, "trades", format_trade_row(trade));
}

PersistStatus RollingStore::append_book(const BookUpdate& update) {
    return append_line(update.symbol.venue, update.symbol.symbol, "book", format_book_row(update));
}

PersistStatus RollingStore::append_line(std::string_view venue, std::string_view symbol,
                                        std::string_view stream, std::string_view row) {
    const std::string path = stream_path(venue, symbol, stream);
    if (auto r = fs::create_dir_all(fs::parent_dir(path)); !r) {
        return failure(std::move(r.error()));
    }
    std::string line;
    line.reserve(row.size() + 1);
    line.append(row).push_back('\n');
    if (auto r = fs::append_to_file(path, line); !r) {
        return failure(std::move(r.error()));
    }
    if (retention_) {
        return prune_if_needed();
    }
    return {};
}

PersistStatus RollingStore::collect_stream_files(std::vector<FileMeta>& out) const {
    if (!fs::symlink_metadata(root_)) {
        return {};
    }
    auto venues = subdirectories(root_);
    if (!venues) {
        return Unexpected(std::move(venues.error()));
    }
    for (const std::string& venue : *venues) {
        auto symbols = subdirectories(venue);
        if (!symbols) {
            return Unexpected(std::move(symbols.error()));
        }
        for (const std::string& symbol : *symbols) {
            for (const std::string_view name : kStreamFiles) {
                const std::string path = fs::join(symbol, name);
                const auto meta = fs::symlink_metadata(path);
                if (meta && meta->is_file) {
                    out.push_back(FileMeta{path, meta->mtime_ns, meta->size});
                }
            }
        }
    }
    return {};
}

PersistStatus RollingStore::prune_if_needed() {
    return prune_at(unix_ts_nanos());
}

PersistStatus RollingStore::prune_at(std::uint64_t now_ns) {
    if (!retention_) {
        return {};
    }
    std::vector<FileMeta> files;
    if (auto r = collect_stream_files(files); !r) {
        return r;
    }
    if (retention_->max_age_secs != 0) {
        bool expired_any = false;
        for (const FileMeta& f : files) {
            // A file dated in the future survives; age counts whole seconds. Deletion failures
            // are ignored.
            if (f.modified_ns <= now_ns &&
                (now_ns - f.modified_ns) / 1000000000ULL >= retention_->max_age_secs) {
                (void)fs::remove_file(f.path);
                expired_any = true;
            }
        }
        if (expired_any) {  // without expired files the listing is unchanged
            files.clear();
            if (auto r = collect_stream_files(files); !r) {
                return r;
            }
        }
    }
    if (retention_->max_bytes == 0 || files.empty()) {
        return {};
    }
    std::uint64_t total = total_size(files);
    if (total <= retention_->max_bytes) {
        return {};
    }
    std::stable_sort(files.begin(), files.end(), [](const FileMeta& a, const FileMeta& b) {
        return a.modified_ns < b.modified_ns;
    });
    for (const FileMeta& f : files) {
        if (total <= retention_->max_bytes) {
            break;
        }
        if (fs::remove_file(f.path)) {
            total -= f.size;
        }
    }
    return {};
}

}  // namespace qx::persist
