// The bounded background writer on a healthy disk: start-up checks, many producers, the two
// admission bounds with a worker really stalled inside a write, the per-record limits, flush and
// shutdown, dropping the writer, and the worker's thread name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "persist/market_data_writer/thread_name.h"
#include "persist/market_data_writer/writer.h"
#include "wal_test_support.h"

namespace qx::persist {
namespace {

using testing::ScratchDir;
using TryKind = NormalizedWriterTryErrorKind;

SegmentedMarketDataWalConfig log_config(const std::string& root, std::uint64_t target = 1 << 20) {
    SegmentedMarketDataWalConfig c;
    c.segment_root = root;
    c.segment_byte_target = target;
    c.max_payload_bytes = 1 << 16;
    return c;
}

template <typename Pred>
bool wait_until(Pred pred, int timeout_ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// True while a thread of this process carries the worker's system name.
bool worker_thread_alive() {
    fs::Result<std::vector<fs::DirEntry>> tasks = fs::list_dir("/proc/self/task");
    for (const fs::DirEntry& t : tasks ? *tasks : std::vector<fs::DirEntry>{}) {
        fs::Result<std::string> comm = fs::read_file("/proc/self/task/" + t.name + "/comm");
        if (comm && *comm == "quorix-market-d\n") {
            return true;
        }
    }
    return false;
}

// Admits `record`, retrying while the queue or the byte budget is full.
void admit(MarketDataWalProducer& p, NormalizedMarketDataRecord record) {
    for (;;) {
        NormalizedAdmission r = p.try_append_normalized_owned(std::move(record));
        if (r) {
            return;
        }
        ASSERT_TRUE(r.error().kind == TryKind::QueueFull ||
                    r.error().kind == TryKind::PayloadByteQueueFull)
            << r.error().message();
        record = std::move(r.error().record);
        std::this_thread::yield();
    }
}

TEST(MarketDataWriter, StartRefusesBadConfigurations) {
    ScratchDir dir;
    struct Case {
        BoundedMarketDataWriterConfig config;
        const char* text;
    };
    Case cases[3];
    cases[0].config.queue_capacity = 0;
    cases[0].text = "market-data WAL queue capacity is zero";
    cases[1].config.queued_payload_capacity = 0;
    cases[1].text = "market-data WAL queued payload byte capacity is zero";
    cases[2].config.thread_name.clear();
    cases[2].text = "market-data WAL worker thread name is empty";
    for (const Case& c : cases) {
        auto w = BoundedMarketDataWalWriter::start(log_config(dir.path()), c.config);
        ASSERT_FALSE(w);
        EXPECT_EQ(w.error(), WalIoError::invalid_input(c.text));
    }
    EXPECT_FALSE(fs::exists(dir / segment_file_name(1))) << "checked before the log opens";

    testing::write_bytes(dir / segment_file_name(1), {1, 2, 3});
    auto w = BoundedMarketDataWalWriter::start(log_config(dir.path()), {});
    ASSERT_FALSE(w);
    EXPECT_EQ(w.error(),
              WalIoError::invalid_data("segmented market-data WAL failed integrity validation"));
}

TEST(MarketDataWriter, ManyProducersEverythingWrittenInOrderAndSyncedAtShutdown) {
    ScratchDir dir;
    BoundedMarketDataWriterConfig wc;
    wc.queue_capacity = 64;
    auto writer = BoundedMarketDataWalWriter::start(log_config(dir.path(), 16 << 10), wc);
    ASSERT_TRUE(writer) << writer.error().message;
    constexpr int kProducers = 3;
    constexpr std::uint64_t kEach = 3000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kProducers; ++t) {
        threads.emplace_back([t, p = writer->producer()]() mutable {
            for (std::uint64_t i = 1; i <= kEach; ++i) {
                admit(p, testing::sample_trade(i, "SYM" + std::to_string(t)));
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    WriterShutdownResult m = writer->shutdown();
    ASSERT_TRUE(m) << m.error().message();
    EXPECT_EQ(m->accepted_records, kProducers * kEach);
    EXPECT_EQ(m->written_records, m->accepted_records);
    EXPECT_EQ(m->written_payload_bytes, m->accepted_payload_bytes);
    EXPECT_EQ(m->accepted_payload_bytes, kProducers * kEach * 43);
    EXPECT_EQ(m->abandoned_records, 0u);
    ASSERT_TRUE(m->last_written_sequence);
    EXPECT_EQ(m->last_durable_sequence, m->last_written_sequence);
    EXPECT_EQ(m->queue_depth, 0u);
    EXPECT_EQ(m->queued_payload_bytes, 0u);
    EXPECT_GE(m->queue_high_watermark, 1u);
    EXPECT_LE(m->queue_high_watermark, 64u);
    EXPECT_EQ(m->latest_written_ts_recv_ns, testing::sample_trade(kEach).ts_recv_ns);
    EXPECT_EQ(m->event_time_lag_ns, 0u);
    EXPECT_TRUE(m->stopped);
    EXPECT_FALSE(m->degraded);
    EXPECT_GT(m->syncs, 0u);

    const testing::LogContents log = testing::read_log(dir.path());
    ASSERT_TRUE(log.ok);
    EXPECT_TRUE(log.report.clean);
    EXPECT_GT(log.report.segments.size(), 1u) << "16 KiB segments rotate";
    ASSERT_EQ(log.records.size(), kProducers * kEach);
    std::vector<std::uint64_t> next(kProducers, 1);
    for (const NormalizedMarketDataRecord& r : log.records) {
        const int t = r.symbol.back() - '0';
        EXPECT_EQ(r, testing::sample_trade(next[t]++, r.symbol));
    }
    EXPECT_FALSE(writer->flush()) << "spent after shutdown";
    EXPECT_EQ(writer->shutdown().error(), MarketDataWriterControlError::stopped());
}

// Starts a writer whose worker gets stuck inside the manifest write of the first seal: the
// manifest's temporary file is a FIFO nobody reads yet. Record 1 fits the 128-byte segment;
// record 2 makes the worker seal it.
struct StalledWriter {
    ScratchDir dir;
    std::optional<BoundedMarketDataWalWriter> writer;
    std::optional<MarketDataWalProducer> producer;

    explicit StalledWriter(BoundedMarketDataWriterConfig config) {
        auto w = BoundedMarketDataWalWriter::start(log_config(dir.path(), 128), config);
        if (!w) {
            return;
        }
        writer.emplace(std::move(*w));
        producer.emplace(writer->producer());
        if (!producer->try_append_normalized_owned(testing::sample_trade(1)) ||
            !wait_until([&] { return producer->metrics().written_records == 1; }) ||
            ::mkfifo((dir / "manifest.qxmm.tmp").c_str(), 0600) != 0 ||
            !producer->try_append_normalized_owned(testing::sample_trade(2)) ||
            !wait_until([&] { return producer->metrics().queue_depth == 0; })) {
            producer.reset();
        }
    }
    bool ready() const { return producer.has_value(); }

    // Reads the FIFO, which lets the worker's manifest write through.
    void release() {
        const int fd = ::open((dir / "manifest.qxmm.tmp").c_str(), O_RDONLY);
        char buf[4096];
        while (fd >= 0 && ::read(fd, buf, sizeof buf) > 0) {
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

TEST(MarketDataWriter, FullQueueHandsTheRecordBackAtOnce) {
    BoundedMarketDataWriterConfig wc;
    wc.queue_capacity = 1;
    StalledWriter s(wc);
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(s.producer->try_append_normalized_owned(testing::sample_trade(3)));
    NormalizedAdmission full = s.producer->try_append_normalized_owned(testing::sample_trade(4));
    ASSERT_FALSE(full);
    EXPECT_EQ(full.error().kind, TryKind::QueueFull);
    EXPECT_EQ(full.error().message(), "normalized market-data record queue is full");
    EXPECT_EQ(full.error().record, testing::sample_trade(4));
    MarketDataWalWriterMetrics m = s.producer->metrics();
    EXPECT_EQ(m.rejected_queue_full, 1u);
    EXPECT_EQ(m.queue_depth, 1u);
    EXPECT_EQ(m.queued_payload_bytes, 43u) << "the refused record's bytes were given back";
    EXPECT_EQ(m.accepted_records, 3u);

    s.release();
    ASSERT_TRUE(s.writer->flush());
    m = s.producer->metrics();
    EXPECT_EQ(m.written_records, 3u);
    EXPECT_EQ(m.last_durable_sequence, m.last_written_sequence);
    EXPECT_EQ(m.queue_depth, 0u);
}

TEST(MarketDataWriter, PayloadBudgetIsNeverExceeded) {
    BoundedMarketDataWriterConfig wc;
    wc.queued_payload_capacity = 2 * 43;
    StalledWriter s(wc);
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(s.producer->try_append_normalized_owned(testing::sample_trade(3)));
    ASSERT_TRUE(s.producer->try_append_normalized_owned(testing::sample_trade(4)));
    NormalizedAdmission over = s.producer->try_append_normalized_owned(testing::sample_trade(5));
    ASSERT_FALSE(over);
    EXPECT_EQ(over.error().kind, TryKind::PayloadByteQueueFull);
    EXPECT_EQ(over.error().message(), "normalized market-data payload-byte queue is full");
    EXPECT_EQ(over.error().record, testing::sample_trade(5));
    const MarketDataWalWriterMetrics m = s.producer->metrics();
    EXPECT_EQ(m.rejected_payload_bytes_full, 1u);
    EXPECT_EQ(m.queued_payload_bytes, 86u);
    EXPECT_EQ(m.queued_payload_high_watermark, 86u);
    EXPECT_EQ(m.queue_depth, 2u);
    s.release();
    ASSERT_TRUE(s.writer->flush());
    EXPECT_EQ(s.producer->metrics().written_records, 4u);
}

TEST(MarketDataWriter, PerRecordLimitsAndStoppedAdmissions) {
    ScratchDir dir;
    SegmentedMarketDataWalConfig lc = log_config(dir.path());
    lc.max_payload_bytes = 36 + 3 + 100;
    auto writer = BoundedMarketDataWalWriter::start(lc, {});
    ASSERT_TRUE(writer);
    MarketDataWalProducer p = writer->producer();
    EXPECT_TRUE(p.try_append_normalized_owned(testing::sample_trade(1, std::string(100, 's'))))
        << "exactly the maximum is admitted";

    struct Case {
        NormalizedMarketDataRecord record;
        TryKind kind;
        const char* text;
    };
    NormalizedMarketDataRecord long_venue = testing::sample_trade(2);
    long_venue.venue.assign(65536, 'v');
    long_venue.symbol.assign(65536, 's');
    NormalizedMarketDataRecord long_symbol = testing::sample_trade(3);
    long_symbol.symbol.assign(65536, 's');
    const Case cases[] = {
        {testing::sample_trade(4, std::string(101, 's')), TryKind::PayloadTooLarge,
         "normalized market-data payload exceeds configured maximum"},
        {long_venue, TryKind::Codec, "normalized venue identifier is too long"},
        {long_symbol, TryKind::Codec, "normalized symbol identifier is too long"},
    };
    for (const Case& c : cases) {
        NormalizedAdmission r = p.try_append_normalized_owned(c.record);
        ASSERT_FALSE(r) << c.text;
        EXPECT_EQ(r.error().kind, c.kind);
        EXPECT_EQ(r.error().message(), c.text);
        EXPECT_EQ(r.error().record, c.record);
    }
    ASSERT_TRUE(writer->flush());
    MarketDataWalWriterMetrics m = p.metrics();
    EXPECT_EQ(m.rejected_payload_too_large, 1u);
    EXPECT_EQ(m.rejected_codec, 2u);
    EXPECT_EQ(m.accepted_records, 1u);
    EXPECT_EQ(m.queued_payload_high_watermark, 139u) << "refusals never touch the budget";

    ASSERT_TRUE(writer->shutdown());
    NormalizedAdmission stopped = p.try_append_normalized_owned(testing::sample_trade(9));
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().kind, TryKind::Stopped);
    EXPECT_EQ(stopped.error().message(), "normalized market-data writer is stopped");
    EXPECT_EQ(p.metrics().rejected_stopped, 1u);
    EXPECT_EQ(p.last_error(), std::nullopt);
}

TEST(MarketDataWriter, DroppedWriterRunsUntilTheLastProducerGoes) {
    ScratchDir dir;
    std::optional<MarketDataWalProducer> p;
    {
        auto writer = BoundedMarketDataWalWriter::start(log_config(dir.path()), {});
        ASSERT_TRUE(writer);
        p.emplace(writer->producer());
        ASSERT_TRUE(p->try_append_normalized_owned(testing::sample_trade(1)));
    }
    NormalizedAdmission r = p->try_append_normalized_owned(testing::sample_trade(2));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, TryKind::Stopped) << "admissions end with the writer handle";
    ASSERT_TRUE(wait_until([&] { return p->metrics().written_records == 1; }));
    EXPECT_FALSE(p->metrics().stopped) << "the worker still runs for this producer";
    EXPECT_TRUE(worker_thread_alive());

    MarketDataWalProducer clone = *p;
    p.reset();
    EXPECT_FALSE(clone.metrics().stopped) << "a clone keeps the worker alive";
    { MarketDataWalProducer last = std::move(clone); }
    ASSERT_TRUE(wait_until([] { return !worker_thread_alive(); }))
        << "the worker exits once no sending side is left";
    const testing::LogContents log = testing::read_log(dir.path());
    EXPECT_TRUE(log.report.clean);
    EXPECT_EQ(log.records.size(), 1u);
}

TEST(MarketDataWriter, ShortenedThreadNameForTheSystemWholeNameForTheLibrary) {
    EXPECT_EQ(os_thread_name("quorix-market-data-wal"), "quorix-market-d");
    EXPECT_EQ(os_thread_name("exactly15bytes!"), "exactly15bytes!");
    EXPECT_EQ(os_thread_name("ab\0cd"), "ab");
    // "ééééééé" + "é" is 16 bytes; the cut must not split the last character.
    EXPECT_EQ(os_thread_name("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"),
              "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");

    ScratchDir dir;
    auto writer = BoundedMarketDataWalWriter::start(log_config(dir.path()), {});
    ASSERT_TRUE(writer) << "a name longer than the system allows never fails a start";
    EXPECT_EQ(writer->thread_name(), "quorix-market-data-wal");
    EXPECT_TRUE(wait_until(worker_thread_alive, 2000)) << "the system sees the cut name";
    ASSERT_TRUE(writer->shutdown());
    EXPECT_FALSE(worker_thread_alive()) << "shutdown joins the worker";
}

}  // namespace
}  // namespace qx::persist
