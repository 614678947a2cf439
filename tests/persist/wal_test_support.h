// Helpers shared by the market-data write-ahead-log tests: scratch directories, sample records,
// raw frame files, running a scenario in a child process, and real failing file systems.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "persist/market_data_wal_frame.h"
#include "persist/market_data_wal_reader.h"
#include "persist/normalized_codec/normalized_record.h"
#include "support/fs.h"

namespace qx::persist::testing {

// A directory under /tmp removed with everything in it at the end of the scope.
class ScratchDir {
  public:
    ScratchDir() {
        char tmpl[] = "/tmp/qx-wal-test-XXXXXX";
        const char* made = ::mkdtemp(tmpl);
        path_ = made ? made : "";
    }
    ~ScratchDir() {
        if (!path_.empty()) {
            const std::string cmd = "rm -rf '" + path_ + "'";
            [[maybe_unused]] const int rc = std::system(cmd.c_str());
        }
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return fs::join(path_, name); }

  private:
    std::string path_;
};

inline NormalizedMarketDataRecord sample_trade(std::uint64_t sequence,
                                               std::string symbol = "ESZ5") {
    NormalizedMarketDataRecord r;
    r.kind = NormalizedMarketDataKind::Trade;
    r.quality_flags = static_cast<std::uint32_t>(sequence % 64);
    r.venue = "CME";
    r.symbol = std::move(symbol);
    r.price = 500000 + static_cast<std::int64_t>(sequence);
    r.size = 1 + static_cast<std::int64_t>(sequence % 7);
    r.sequence = sequence;
    r.ts_exchange_ns = 1'700'000'000'000'000'000ull + sequence * 1000;
    r.ts_recv_ns = r.ts_exchange_ns + 250;
    r.side = sequence % 2 == 0 ? Side::Bid : Side::Ask;
    return r;
}

inline std::vector<std::uint8_t> bytes_of(std::string_view s) {
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

// Frames for a raw log file: frame i gets `first_sequence + i`, chained from 0.
inline std::vector<std::uint8_t> chained_frames(std::size_t count, std::uint64_t first_sequence = 1,
                                                std::uint32_t previous = 0) {
    std::vector<std::uint8_t> file;
    for (std::size_t i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> payload = bytes_of("payload-" + std::to_string(i));
        MarketDataWalFrameHeader h;
        h.kind = kMarketDataWalKindTrade;
        h.wal_sequence = first_sequence + i;
        h.source_sequence_1 = 100 + i;
        h.source_sequence_2 = 200 + i;
        h.ts_exchange_ns = 1000 + i;
        h.ts_recv_ns = 2000 + i;
        h.previous_checksum = previous;
        previous = *append_market_data_wal_frame(file, payload, h);
    }
    return file;
}

inline void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    fs::Result<fs::File> f = fs::File::create_truncate(path);
    if (f) {
        (void)f->write_all(bytes.data(), bytes.size());
    }
}

inline std::vector<std::uint8_t> read_bytes(const std::string& path) {
    fs::Result<std::string> s = fs::read_file(path);
    return s ? std::vector<std::uint8_t>(s->begin(), s->end()) : std::vector<std::uint8_t>{};
}

// Everything a segment root holds, read back through the scanner and the decoder.
struct LogContents {
    MarketDataWalRootReport report;
    std::vector<NormalizedMarketDataRecord> records;  // data frames in log order
    std::vector<std::uint64_t> sequences;             // their WAL sequences
    std::uint64_t undecodable = 0;
    bool ok = false;
};

inline LogContents read_log(const std::string& root) {
    LogContents out;
    WalResult<MarketDataWalReadSummary> s = read_normalized_market_data_wal(
        root, [&](std::uint64_t seq, NormalizedMarketDataRecord&& r) {
            out.sequences.push_back(seq);
            out.records.push_back(std::move(r));
        });
    if (s) {
        out.report = s->report;
        out.undecodable = s->undecodable;
        out.ok = true;
    }
    return out;
}

// Runs `body` in a forked child and returns what it wrote to the pipe it was given, plus its
// exit status. The child ends with _exit, so nothing of the parent's test state runs twice.
struct ChildResult {
    std::string output;
    int status = -1;
};

inline ChildResult run_in_child(const std::function<void(int out_fd)>& body) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        body(fds[1]);
        ::close(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildResult r;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0) {
            break;
        }
        r.output.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    ::waitpid(pid, &r.status, 0);
    return r;
}

inline void write_text(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

// "key=value" lines, as children report them.
inline std::map<std::string, std::string> parse_key_values(const std::string& text) {
    std::map<std::string, std::string> kv;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) {
            kv[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return kv;
}

// Limits the size of every file this process writes (file writes past it fail with EFBIG
// instead of raising SIGXFSZ). For forked children only: the limit covers the whole process.
inline void limit_file_size(std::uint64_t bytes) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim;
    ::getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = static_cast<rlim_t>(bytes);
    ::setrlimit(RLIMIT_FSIZE, &lim);
}

// A small ext4 file system on a loop device whose backing file lives on a tmpfs with far less
// room than the file system believes it has. Writes land in the page cache and succeed; the
// fdatasync that pushes them to the device fails for real. Needs root, tmpfs, loop devices and
// mke2fs; `ready()` is false (and the test should skip) where they are missing.
class FailingSyncVolume {
  public:
    FailingSyncVolume() {
        if (::geteuid() != 0 || dir_.path().empty()) {
            return;
        }
        const std::string back = dir_ / "back";
        mount_point_ = dir_ / "mnt";
        const std::string image = back + "/image";
        if (!run("mkdir -p '" + back + "' '" + mount_point_ + "'") ||
            !run("mount -t tmpfs -o size=3m tmpfs '" + back + "'")) {
            return;
        }
        back_mounted_ = back;
        if (!run("truncate -s 16M '" + image + "'") ||
            !run("mke2fs -q -F -t ext4 -O ^has_journal -E "
                 "nodiscard,lazy_itable_init=1,lazy_journal_init=1 '" +
                 image + "'")) {
            return;
        }
        const std::string dev_file = dir_ / "loopdev";
        const std::string attach =
            "losetup -f --show '" + image + "' > '" + dev_file + "' 2>/dev/null";
        if (std::system(attach.c_str()) != 0) {
            return;
        }
        fs::Result<std::string> dev = fs::read_file(dev_file);
        if (!dev || dev->empty()) {
            return;
        }
        loop_device_ = dev->substr(0, dev->find('\n'));
        if (!run("mount '" + loop_device_ + "' '" + mount_point_ + "'")) {
            return;
        }
        mounted_ = true;
    }
    ~FailingSyncVolume() {
        if (mounted_) {
            run("umount '" + mount_point_ + "'");
        }
        if (!loop_device_.empty()) {
            run("losetup -d '" + loop_device_ + "'");
        }
        if (!back_mounted_.empty()) {
            run("umount '" + back_mounted_ + "'");
        }
    }
    FailingSyncVolume(const FailingSyncVolume&) = delete;
    FailingSyncVolume& operator=(const FailingSyncVolume&) = delete;

    bool ready() const { return mounted_; }
    std::string path(const std::string& name) const { return fs::join(mount_point_, name); }

  private:
    static bool run(const std::string& cmd) {
        return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0;
    }
    ScratchDir dir_;
    std::string mount_point_;
    std::string back_mounted_;
    std::string loop_device_;
    bool mounted_ = false;
};

}  // namespace qx::persist::testing
