// Market-data write-ahead log: writer throughput against a plain sequential write of the same
// bytes to the same directory, and the cost of admitting one record.
//
// All data goes to a scratch directory under /tmp and is deleted after each run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "persist/market_data_writer/writer.h"
#include "support/fs.h"

namespace qx::persist {
namespace {

using Clock = std::chrono::steady_clock;

class Scratch {
  public:
    Scratch() {
        char tmpl[] = "/tmp/qx-wal-bench-XXXXXX";
        const char* made = ::mkdtemp(tmpl);
        path_ = made ? made : "/tmp";
    }
    ~Scratch() { (void)std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

NormalizedMarketDataRecord record(std::uint64_t n) {
    NormalizedMarketDataRecord r;
    r.kind = NormalizedMarketDataKind::Trade;
    r.venue = "CME";
    r.symbol = "ESZ5";  // 43-byte record, 107-byte frame
    r.price = 500000 + static_cast<std::int64_t>(n % 1000);
    r.size = 1 + static_cast<std::int64_t>(n % 7);
    r.sequence = n;
    r.ts_exchange_ns = 1'700'000'000'000'000'000ull + n;
    r.ts_recv_ns = r.ts_exchange_ns + 100;
    r.side = n % 2 ? Side::Ask : Side::Bid;
    return r;
}

std::uint64_t directory_bytes(const std::string& dir) {
    std::uint64_t total = 0;
    fs::Result<std::vector<fs::DirEntry>> entries = fs::list_dir(dir);
    for (const fs::DirEntry& e : entries ? *entries : std::vector<fs::DirEntry>{}) {
        if (e.name.ends_with(".qxmw")) {
            total += fs::metadata(fs::join(dir, e.name))->size;
        }
    }
    return total;
}

// Writes `bytes` sequentially in 1 MiB pieces, with an fdatasync every `sync_every` bytes (0:
// none) and one at the end, as the writer's shutdown does. Returns seconds.
double plain_write(const std::string& path, std::uint64_t bytes, std::uint64_t sync_every) {
    std::vector<char> chunk(1 << 20, 'x');
    const auto start = Clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::uint64_t done = 0;
    std::uint64_t since_sync = 0;
    while (fd >= 0 && done < bytes) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), bytes - done));
        if (::write(fd, chunk.data(), n) != static_cast<ssize_t>(n)) {
            break;
        }
        done += n;
        since_sync += n;
        if (sync_every != 0 && since_sync >= sync_every) {
            ::fdatasync(fd);
            since_sync = 0;
        }
    }
    if (fd >= 0) {
        ::fdatasync(fd);
        ::close(fd);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One producer admits `records` as fast as the queue takes them; the run ends when shutdown
// has written and synced everything.
void BM_WriterThroughput(benchmark::State& state) {
    const bool on_seal = state.range(0) == 1;
    const std::uint64_t records = static_cast<std::uint64_t>(state.range(1));
    constexpr std::uint64_t kSegment = 64ull << 20;
    for (auto _ : state) {
        Scratch dir;
        SegmentedMarketDataWalConfig lc;
        lc.segment_root = fs::join(dir.path(), "wal");
        lc.segment_byte_target = kSegment;
        lc.sync_policy =
            on_seal ? MarketDataWalSyncPolicy::on_seal() : MarketDataWalSyncPolicy::never();
        auto writer = BoundedMarketDataWalWriter::start(lc, {});
        if (!writer) {
            state.SkipWithError(writer.error().message.c_str());
            return;
        }
        MarketDataWalProducer p = writer->producer();
        std::uint64_t full = 0;
        const auto start = Clock::now();
        for (std::uint64_t n = 1; n <= records; ++n) {
            NormalizedMarketDataRecord r = record(n);
            for (;;) {
                NormalizedAdmission a = p.try_append_normalized_owned(std::move(r));
                if (a) {
                    break;
                }
                ++full;
                r = std::move(a.error().record);
                std::this_thread::yield();  // a real producer drops or backs off
            }
        }
        WriterShutdownResult m = writer->shutdown();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!m || m->written_records != records) {
            state.SkipWithError("writer did not write every record");
            return;
        }
        const std::uint64_t bytes = directory_bytes(lc.segment_root);
        const double plain =
            plain_write(fs::join(dir.path(), "plain.bin"), bytes, on_seal ? kSegment : 0);
        state.SetIterationTime(seconds);
        const double mib = static_cast<double>(bytes) / (1 << 20);
        state.counters["records_per_s"] = static_cast<double>(records) / seconds;
        state.counters["MiB_per_s"] = mib / seconds;
        state.counters["plain_MiB_per_s"] = mib / plain;
        state.counters["vs_plain_pct"] = 100.0 * plain / seconds;
        state.counters["MiB"] = mib;
        state.counters["admission_retries"] = static_cast<double>(full);
    }
}
BENCHMARK(BM_WriterThroughput)
    ->ArgNames({"on_seal", "records"})
    ->Args({0, 3'000'000})
    ->Args({1, 3'000'000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Per-call admission time with the worker draining the queue: bursts of 2048 admissions, each
// timed on its own, with a flush between bursts so the queue never fills.
void BM_AdmissionLatency(benchmark::State& state) {
    Scratch dir;
    SegmentedMarketDataWalConfig lc;
    lc.segment_root = fs::join(dir.path(), "wal");
    lc.segment_byte_target = 64ull << 20;
    lc.sync_policy = MarketDataWalSyncPolicy::never();
    auto writer = BoundedMarketDataWalWriter::start(lc, {});
    if (!writer) {
        state.SkipWithError(writer.error().message.c_str());
        return;
    }
    MarketDataWalProducer p = writer->producer();
    constexpr std::size_t kBurst = 2048;
    std::vector<NormalizedMarketDataRecord> batch(kBurst);
    std::vector<double> samples;
    samples.reserve(1 << 20);
    // The cost of reading the clock twice, taken off every sample.
    double clock_cost = 1e9;
    for (int i = 0; i < 1000; ++i) {
        const auto a = Clock::now();
        const auto b = Clock::now();
        clock_cost = std::min(clock_cost, std::chrono::duration<double, std::nano>(b - a).count());
    }
    std::uint64_t n = 0;
    std::uint64_t refused = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (NormalizedMarketDataRecord& r : batch) {
            r = record(++n);
        }
        state.ResumeTiming();
        for (NormalizedMarketDataRecord& r : batch) {
            const auto a = Clock::now();
            NormalizedAdmission ok = p.try_append_normalized_owned(std::move(r));
            const auto b = Clock::now();
            refused += ok ? 0 : 1;
            if (samples.size() < samples.capacity()) {
                samples.push_back(std::chrono::duration<double, std::nano>(b - a).count() -
                                  clock_cost);
            }
        }
        state.PauseTiming();
        (void)writer->flush();
        state.ResumeTiming();
    }
    std::sort(samples.begin(), samples.end());
    const auto pct = [&](double q) {
        return samples.empty() ? 0.0 : samples[static_cast<std::size_t>(q * (samples.size() - 1))];
    };
    state.counters["p50_ns"] = pct(0.5);
    state.counters["p99_ns"] = pct(0.99);
    state.counters["p999_ns"] = pct(0.999);
    state.counters["max_ns"] = samples.empty() ? 0.0 : samples.back();
    state.counters["refused"] = static_cast<double>(refused);
    state.SetItemsProcessed(static_cast<std::int64_t>(n));
    (void)writer->shutdown();
}
BENCHMARK(BM_AdmissionLatency)->Iterations(200)->Repetitions(3)->ReportAggregatesOnly(true);

// Admission while the worker is stuck inside a write (the manifest's temporary file is a FIFO
// nobody reads) and the queue is full: every call must come straight back with QueueFull.
void BM_AdmissionWhenFull(benchmark::State& state) {
    Scratch dir;
    SegmentedMarketDataWalConfig lc;
    lc.segment_root = fs::join(dir.path(), "wal");
    lc.segment_byte_target = 128;
    BoundedMarketDataWriterConfig wc;
    wc.queue_capacity = 8;
    auto writer = BoundedMarketDataWalWriter::start(lc, wc);
    if (!writer) {
        state.SkipWithError(writer.error().message.c_str());
        return;
    }
    MarketDataWalProducer p = writer->producer();
    const std::string fifo = fs::join(lc.segment_root, "manifest.qxmm.tmp");
    (void)p.try_append_normalized_owned(record(1));
    while (p.metrics().written_records < 1) {
        std::this_thread::yield();
    }
    ::mkfifo(fifo.c_str(), 0600);
    for (std::uint64_t n = 2; n < 20; ++n) {
        (void)p.try_append_normalized_owned(record(n));
    }
    NormalizedMarketDataRecord r = record(99);
    std::uint64_t full = 0;
    for (auto _ : state) {
        NormalizedAdmission a = p.try_append_normalized_owned(std::move(r));
        if (!a) {
            full += a.error().kind == NormalizedWriterTryErrorKind::QueueFull;
            r = std::move(a.error().record);
        }
    }
    state.counters["queue_full_pct"] =
        100.0 * static_cast<double>(full) / static_cast<double>(state.iterations());
    // Let the worker through and stop it.
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    char buf[4096];
    while (fd >= 0 && ::read(fd, buf, sizeof buf) > 0) {
    }
    ::close(fd);
    (void)writer->shutdown();
}
BENCHMARK(BM_AdmissionWhenFull)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace qx::persist
