// The background writer when persistence fails for real: a write refused by a file-size limit
// with a flush waiting behind it, producers racing a failure (the in-flight fence), an fdatasync
// failing on a real device, and a writer process killed while it writes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>
#include <vector>

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

void wait_for(const std::function<bool()>& pred) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!pred() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string metrics_text(const MarketDataWalWriterMetrics& m) {
    std::ostringstream o;
    o << "accepted=" << m.accepted_records << "\naccepted_bytes=" << m.accepted_payload_bytes
      << "\nwritten=" << m.written_records << "\nwritten_bytes=" << m.written_payload_bytes
      << "\nabandoned=" << m.abandoned_records << "\nabandoned_bytes=" << m.abandoned_payload_bytes
      << "\ndepth=" << m.queue_depth << "\nqueued_bytes=" << m.queued_payload_bytes
      << "\nwrite_failures=" << m.write_failures << "\nsync_failures=" << m.sync_failures
      << "\nrejected_stopped=" << m.rejected_stopped << "\ndegraded=" << m.degraded
      << "\nstopped=" << m.stopped << "\nlast_written=" << m.last_written_sequence.value_or(0)
      << "\nlast_durable=" << m.last_durable_sequence.value_or(0) << "\n";
    return o.str();
}

std::uint64_t num(std::map<std::string, std::string>& kv, const std::string& key) {
    return kv.count(key) ? std::stoull(kv[key]) : ~0ull;
}

TEST(MarketDataWriterFailure, WriteFailureAnswersThePendingFlushAndAbandonsTheQueue) {
    ScratchDir dir;
    const testing::ChildResult child = testing::run_in_child([&](int out) {
        auto writer = BoundedMarketDataWalWriter::start(log_config(dir.path(), 128), {});
        if (!writer) {
            return;
        }
        MarketDataWalProducer p = writer->producer();
        // Record 1 and its seal fit under the limit; record 2 alone does not.
        testing::limit_file_size(400);
        (void)p.try_append_normalized_owned(testing::sample_trade(1, std::string(150, 'a')));
        wait_for([&] { return p.metrics().written_records == 1; });
        // Hold the worker inside the manifest write of the seal record 2 causes.
        ::mkfifo((dir / "manifest.qxmm.tmp").c_str(), 0600);
        (void)p.try_append_normalized_owned(testing::sample_trade(2, std::string(400, 'b')));
        wait_for([&] { return p.metrics().queue_depth == 0; });
        (void)p.try_append_normalized_owned(testing::sample_trade(3));
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const int fd = ::open((dir / "manifest.qxmm.tmp").c_str(), O_RDONLY);
            char buf[4096];
            while (fd >= 0 && ::read(fd, buf, sizeof buf) > 0) {
            }
            ::close(fd);
        });
        WriterControlResult flushed = writer->flush();  // queued behind records 2 and 3
        release.join();
        NormalizedAdmission later = p.try_append_normalized_owned(testing::sample_trade(4));
        wait_for([&] { return p.metrics().stopped; });
        std::ostringstream o;
        o << "flush=" << (flushed ? "ok" : flushed.error().message())
          << "\nlater=" << (later ? "ok" : later.error().message())
          << "\nlast_error=" << p.last_error().value_or("") << "\n"
          << metrics_text(p.metrics()) << "shutdown=" << writer->shutdown().error().message()
          << "\n";
        testing::write_text(out, o.str());
    });
    auto kv = testing::parse_key_values(child.output);
    ASSERT_FALSE(kv.empty()) << "child status " << child.status;
    EXPECT_EQ(kv["flush"], "market-data WAL persistence failed: File too large (os error 27)");
    EXPECT_EQ(kv["later"], "normalized market-data writer is stopped");
    EXPECT_EQ(kv["last_error"], "File too large (os error 27)");
    EXPECT_EQ(kv["degraded"], "1");
    EXPECT_EQ(kv["stopped"], "1");
    EXPECT_EQ(num(kv, "write_failures"), 1u);
    EXPECT_EQ(num(kv, "accepted"), 3u);
    EXPECT_EQ(num(kv, "written"), 1u);
    EXPECT_EQ(num(kv, "abandoned"), 2u) << "the failed record and the one queued behind it";
    EXPECT_EQ(num(kv, "abandoned_bytes"), (36u + 3 + 400) + (36 + 3 + 4));
    EXPECT_EQ(num(kv, "depth"), 0u);
    EXPECT_EQ(num(kv, "queued_bytes"), 0u);
    EXPECT_EQ(num(kv, "rejected_stopped"), 1u);
    EXPECT_EQ(kv["shutdown"], "market-data WAL worker stopped");
}

TEST(MarketDataWriterFailure, EveryAcceptedRecordIsWrittenOrAbandonedWhenProducersRaceAFailure) {
    ScratchDir dir;
    const testing::ChildResult child = testing::run_in_child([&](int out) {
        BoundedMarketDataWriterConfig wc;
        wc.queue_capacity = 256;
        auto writer = BoundedMarketDataWalWriter::start(log_config(dir.path(), 64 << 20), wc);
        if (!writer) {
            return;
        }
        // Several write-outs fit in the one segment, then one fails. The producers stop at the
        // failure, or after far more records than the limit lets through.
        testing::limit_file_size(1 << 20);
        std::vector<std::thread> producers;
        for (int t = 0; t < 3; ++t) {
            producers.emplace_back([t, p = writer->producer()]() mutable {
                for (std::uint64_t i = 1; i < 100000; ++i) {
                    NormalizedMarketDataRecord r =
                        testing::sample_trade(i, "S" + std::to_string(t));
                    for (;;) {
                        NormalizedAdmission a = p.try_append_normalized_owned(std::move(r));
                        if (a) {
                            break;
                        }
                        if (a.error().kind == TryKind::Stopped) {
                            return;
                        }
                        r = std::move(a.error().record);
                    }
                }
            });
        }
        for (std::thread& t : producers) {
            t.join();
        }
        MarketDataWalProducer p = writer->producer();
        wait_for([&] { return p.metrics().stopped; });
        testing::write_text(
            out, metrics_text(p.metrics()) + "last_error=" + p.last_error().value_or("") + "\n");
    });
    auto kv = testing::parse_key_values(child.output);
    ASSERT_FALSE(kv.empty()) << "child status " << child.status;
    EXPECT_EQ(kv["last_error"], "File too large (os error 27)");
    EXPECT_EQ(kv["degraded"], "1");
    EXPECT_EQ(kv["stopped"], "1");
    EXPECT_GT(num(kv, "written"), 0u);
    EXPECT_EQ(num(kv, "accepted"), num(kv, "written") + num(kv, "abandoned"));
    EXPECT_EQ(num(kv, "accepted_bytes"), num(kv, "written_bytes") + num(kv, "abandoned_bytes"));
    EXPECT_EQ(num(kv, "depth"), 0u);
    EXPECT_EQ(num(kv, "queued_bytes"), 0u);
    EXPECT_GE(num(kv, "rejected_stopped"), 3u);
    EXPECT_EQ(num(kv, "write_failures"), 1u);

    // The file holds every record counted as written. Complete frames of the write that
    // failed part-way may follow them; the writer could not confirm those and counted them as
    // abandoned.
    const testing::LogContents log = testing::read_log(dir.path());
    ASSERT_TRUE(log.ok);
    EXPECT_GE(log.records.size(), num(kv, "written"));
    EXPECT_LE(log.records.size(), num(kv, "accepted"));
    EXPECT_EQ(log.report.integrity_failures, 0u);
    EXPECT_TRUE(log.report.truncated_tail);
}

TEST(MarketDataWriterFailure, SyncFailureOnARealDeviceFailsTheFlushAndStopsTheWriter) {
    testing::FailingSyncVolume volume;
    if (!volume.ready()) {
        GTEST_SKIP() << "needs root, tmpfs, a loop device and mke2fs";
    }
    SegmentedMarketDataWalConfig lc = log_config(volume.path("wal"), 64 << 20);
    lc.sync_policy = MarketDataWalSyncPolicy::never();
    auto writer = BoundedMarketDataWalWriter::start(lc, {});
    ASSERT_TRUE(writer) << writer.error().message;
    MarketDataWalProducer p = writer->producer();
    for (std::uint64_t i = 1; i <= 1600; ++i) {
        NormalizedMarketDataRecord r = testing::sample_trade(i, std::string(4000, 'x'));
        for (;;) {
            NormalizedAdmission a = p.try_append_normalized_owned(std::move(r));
            if (a) {
                break;
            }
            ASSERT_NE(a.error().kind, TryKind::Stopped);
            r = std::move(a.error().record);
            std::this_thread::yield();
        }
    }
    WriterControlResult flushed = writer->flush();
    ASSERT_FALSE(flushed);
    EXPECT_EQ(flushed.error().kind, MarketDataWriterControlErrorKind::Persistence);
    const std::optional<std::string> last = p.last_error();
    ASSERT_TRUE(last);
    EXPECT_NE(last->find("(os error"), std::string::npos) << *last;
    EXPECT_EQ(flushed.error().detail, *last) << "the sync's own error, kept as the first";
    wait_for([&] { return p.metrics().stopped; });
    const MarketDataWalWriterMetrics m = p.metrics();
    EXPECT_EQ(m.sync_failures, 1u);
    EXPECT_EQ(m.write_failures, 0u);
    EXPECT_TRUE(m.degraded);
    EXPECT_EQ(m.written_records, 1600u) << "the page cache took every record";
    EXPECT_FALSE(m.last_durable_sequence) << "none of them is durable";
    EXPECT_EQ(p.try_append_normalized_owned(testing::sample_trade(9)).error().kind,
              TryKind::Stopped);
    EXPECT_EQ(writer->flush().error(), MarketDataWriterControlError::stopped());
}

TEST(MarketDataWriterFailure, KilledWriterKeepsEverythingItReportedDurable) {
    ScratchDir dir;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    // However this test ends, the writing child does not outlive it.
    struct Reaper {
        pid_t pid;
        ~Reaper() {
            if (pid > 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        }
    } reaper{pid};
    if (pid == 0) {
        ::close(fds[0]);
        SegmentedMarketDataWalConfig lc = log_config(dir.path(), 256 << 10);
        lc.sync_policy = MarketDataWalSyncPolicy::never();
        auto writer = BoundedMarketDataWalWriter::start(lc, {});
        if (!writer) {
            ::_exit(1);
        }
        MarketDataWalProducer p = writer->producer();
        for (std::uint64_t n = 1; n < 5'000'000; ++n) {
            NormalizedMarketDataRecord r = testing::sample_trade(n);
            for (;;) {
                NormalizedAdmission a = p.try_append_normalized_owned(std::move(r));
                if (a) {
                    break;
                }
                r = std::move(a.error().record);
                std::this_thread::yield();
            }
            if (n % 2000 == 0) {
                if (!writer->flush()) {
                    ::_exit(2);
                }
                const std::string line =
                    "durable=" + std::to_string(*p.metrics().last_durable_sequence) +
                    " records=" + std::to_string(n) + "\n";
                testing::write_text(fds[1], line);
            }
        }
        ::_exit(3);
    }
    ::close(fds[1]);
    std::string seen;
    std::uint64_t durable = 0;
    std::uint64_t records = 0;
    int reports = 0;
    char buf[256];
    while (reports < 6) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        ASSERT_GT(n, 0) << "writer child ended early";
        seen.append(buf, static_cast<std::size_t>(n));
        for (std::size_t nl; (nl = seen.find('\n')) != std::string::npos; seen.erase(0, nl + 1)) {
            std::sscanf(seen.c_str(), "durable=%lu records=%lu", &durable, &records);
            ++reports;
        }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(1500));
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    reaper.pid = 0;
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    const testing::LogContents log = testing::read_log(dir.path());
    ASSERT_TRUE(log.ok);
    EXPECT_EQ(log.report.integrity_failures, 0u);
    EXPECT_EQ(log.report.sequence_gaps, 0u);
    EXPECT_EQ(log.undecodable, 0u);
    ASSERT_TRUE(log.report.last_sequence);
    EXPECT_GE(*log.report.last_sequence, durable);
    ASSERT_GE(log.records.size(), records) << "every record reported durable is in the log";
    for (std::size_t i = 0; i < log.records.size(); ++i) {
        ASSERT_EQ(log.records[i], testing::sample_trade(i + 1)) << "record " << i + 1;
    }
}

}  // namespace
}  // namespace qx::persist
