#include "persist/market_data_wal_scan.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "support/fnv.h"
#include "support/fs.h"
#include "support/saturating.h"

namespace qx::persist {
namespace {

// Reads a file sequentially through one buffer, so a segment of small frames costs a few large
// reads instead of two system calls per frame.
class SequentialReader {
  public:
    explicit SequentialReader(fs::File& file) : file_(file), buf_(kBufferBytes) {}

    // Hands the next `n` bytes (fewer only at end of file) to `sink` as contiguous pieces and
    // returns how many were delivered.
    template <typename Sink>
    WalResult<std::size_t> consume(std::size_t n, Sink&& sink) {
        std::size_t done = 0;
        while (done < n) {
            if (pos_ == len_) {
                fs::Result<std::size_t> got = file_.read_some(buf_.data(), buf_.size());
                if (!got) {
                    return Unexpected(WalIoError::os(got.error()));
                }
                if (*got == 0) {
                    break;
                }
                pos_ = 0;
                len_ = *got;
            }
            const std::size_t take = std::min(n - done, len_ - pos_);
            sink(buf_.data() + pos_, take);
            pos_ += take;
            done += take;
        }
        return done;
    }

  private:
    static constexpr std::size_t kBufferBytes = 1 << 16;
    fs::File& file_;
    std::vector<std::uint8_t> buf_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
};

}  // namespace

WalResult<MarketDataWalScanSummary> scan_market_data_wal_into_from(
    const std::string& path, std::uint64_t expected_sequence,
    std::uint32_t expected_previous_checksum, MarketDataWalFilter* filter) {
    MarketDataWalScanSummary s;
    s.last_checksum = expected_previous_checksum;
    if (!fs::metadata(path)) {
        return s;
    }
    fs::Result<fs::File> file = fs::File::open_read(path);
    if (!file) {
        return Unexpected(WalIoError::os(file.error()));
    }
    SequentialReader reader(*file);
    std::uint64_t expected_seq = expected_sequence;
    std::uint32_t expected_prev = expected_previous_checksum;
    std::uint8_t header[kMarketDataWalHeaderBytes];

    for (;;) {
        std::size_t filled = 0;
        WalResult<std::size_t> got =
            reader.consume(sizeof header, [&](const std::uint8_t* p, std::size_t n) {
                std::memcpy(header + filled, p, n);
                filled += n;
            });
        if (!got) {
            return Unexpected(got.error());
        }
        if (*got == 0) {
            break;
        }
        if (*got < sizeof header) {
            s.clean = false;
            s.truncated_tail = true;
            break;
        }
        const StoredMarketDataWalHeader h = decode_market_data_wal_header(header);
        if (!h.magic_ok || h.version != kMarketDataWalVersion) {
            s.integrity_failures = sat_add(s.integrity_failures, std::uint64_t{1});
            s.clean = false;
            break;
        }
        if (!is_valid_market_data_wal_kind(h.fields.kind)) {
            return Unexpected(WalIoError::invalid_data("invalid market-data WAL record kind"));
        }
        bool frame_ok = true;
        if (h.fields.wal_sequence != expected_seq) {
            s.sequence_gaps = sat_add(s.sequence_gaps, std::uint64_t{1});
            frame_ok = false;
        }
        if (h.fields.previous_checksum != expected_prev) {
            s.integrity_failures = sat_add(s.integrity_failures, std::uint64_t{1});
            frame_ok = false;
        }

        // The payload is read piece by piece, so a stated length beyond the end of the file
        // costs no more memory than the file holds.
        const bool collect =
            filter != nullptr && filter->records != nullptr && filter->matches(h.fields);
        std::vector<std::uint8_t> payload;
        std::uint32_t hash = market_data_wal_header_hash(header);
        WalResult<std::size_t> body =
            reader.consume(h.payload_length, [&](const std::uint8_t* p, std::size_t n) {
                hash = fnv1a32_extend(hash, p, n);
                if (collect) {
                    payload.insert(payload.end(), p, p + n);
                }
            });
        if (!body) {
            return Unexpected(body.error());
        }
        if (*body < h.payload_length) {
            s.clean = false;
            s.truncated_tail = true;
            break;
        }
        if (hash != h.checksum) {
            s.integrity_failures = sat_add(s.integrity_failures, std::uint64_t{1});
            frame_ok = false;
        }
        if (!frame_ok) {
            s.clean = false;
        }
        if (collect) {
            MarketDataWalRecord rec;
            rec.payload = std::move(payload);
            rec.wal_sequence = h.fields.wal_sequence;
            rec.source_sequence_1 = h.fields.source_sequence_1;
            rec.source_sequence_2 = h.fields.source_sequence_2;
            rec.ts_exchange_ns = h.fields.ts_exchange_ns;
            rec.ts_recv_ns = h.fields.ts_recv_ns;
            rec.kind = h.fields.kind;
            filter->records->push_back(std::move(rec));
        }
        s.frames = sat_add(s.frames, std::uint64_t{1});
        s.bytes = sat_add(s.bytes, kMarketDataWalHeaderBytes + std::uint64_t{h.payload_length});
        s.last_sequence = h.fields.wal_sequence;
        s.last_kind = h.fields.kind;
        expected_seq = sat_add(h.fields.wal_sequence, std::uint64_t{1});
        expected_prev = h.checksum;
    }
    s.last_checksum = expected_prev;
    return s;
}

}  // namespace qx::persist
