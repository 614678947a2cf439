// qx-replay: reads recorded market data and pushes every event through the qx C interface the
// way a host would, then prints what the engine made of it.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "qx/qx.h"
#include "replay/jsonl_input.h"
#include "replay/replay_options.h"
#include "replay/summary.h"
#include "replay/wal_input.h"

namespace {

using replay::Input;

// Events recorded into a write-ahead log between two flushes.
constexpr uint32_t kRecordChunk = 16384;
using replay::ReplayEvent;

// A private working directory for the engine's audit log, removed at exit.
class WorkDir {
  public:
    WorkDir() {
        char tmpl[] = "/tmp/qx-replay-XXXXXX";
        if (const char* dir = ::mkdtemp(tmpl)) {
            path_ = dir;
        }
    }
    ~WorkDir() {
        if (!path_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(path_, ec);
        }
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

qx_status_t push(qx_engine_t* engine, const Input& input, const ReplayEvent& e) {
    const replay::Instrument& inst = input.instruments[e.instrument];
    const qx_symbol_ref_t ref{inst.venue.c_str(), inst.symbol.c_str(), 0};
    if (e.is_trade) {
        const qx_trade_t t{ref,        e.price,          e.size,      e.side,
                           e.sequence, e.ts_exchange_ns, e.ts_recv_ns};
        return qx_ingest_trade(engine, &t, 0);
    }
    const qx_book_update_t u{ref,      e.side,     e.level,          e.price,     e.size,
                             e.action, e.sequence, e.ts_exchange_ns, e.ts_recv_ns};
    return qx_ingest_book(engine, &u, 0);
}

}  // namespace

int main(int argc, char** argv) {
    replay::Options options;
    std::string error;
    if (!replay::parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "qx-replay: %s\n\n%s", error.c_str(), replay::usage_text());
        return 2;
    }
    if (options.help) {
        std::printf("%s", replay::usage_text());
        return 0;
    }

    Input input;
    for (const std::string& path : options.inputs) {
        const bool ok = replay::is_wal_root(path) ? replay::read_wal_input(path, input, error)
                                                  : replay::read_jsonl_input(path, input, error);
        if (!ok) {
            std::fprintf(stderr, "qx-replay: %s\n", error.c_str());
            return 1;
        }
    }
    replay::sort_by_receive_time(input);
    const bool progress = !options.quiet && ::isatty(STDERR_FILENO);
    if (!options.quiet) {
        std::printf("%s: %zu events for %zu instruments\n", qx_build_info(), input.events.size(),
                    input.instruments.size());
    }

    // Without a configuration file the engine gets a private audit log in a temporary
    // directory, so a replay leaves nothing behind.
    WorkDir work;
    std::string config_path = options.config_path;
    if (config_path.empty() && !work.path().empty()) {
        config_path = work.path() + "/replay.json";
        std::ofstream(config_path)
            << "{\"instance_id\":\"qx-replay\",\"audit_log_path\":\"" << work.path()
            << "/audit.log\",\"data_root\":\"" << work.path() << "/data\"}\n";
    }
    qx_engine_config_t config{};
    config.config_path = config_path.empty() ? nullptr : config_path.c_str();
    qx_engine_t* engine = nullptr;
    qx_status_t status = qx_engine_create(&config, &engine);
    if (status != QX_STATUS_OK) {
        std::fprintf(stderr, "qx-replay: engine creation failed with status %d\n", status);
        return 1;
    }
    if ((status = qx_engine_start(engine)) != QX_STATUS_OK) {
        std::fprintf(stderr, "qx-replay: engine start failed with status %d\n", status);
        qx_engine_destroy(engine);
        return 1;
    }

    if (!options.record_wal.empty()) {
        qx_market_data_wal_config_t wal{};
        wal.root_dir = options.record_wal.c_str();
        wal.sync_mode = 0;  // sync as segments seal; the final shutdown syncs the rest
        // Admission never blocks, so a replay running faster than the disk would lose records
        // to a full queue: give the queue room and flush between chunks of events.
        wal.queue_capacity = kRecordChunk * 2;
        if ((status = qx_configure_market_data_wal(engine, &wal)) != QX_STATUS_OK) {
            std::fprintf(stderr, "qx-replay: cannot record into %s (status %d)\n",
                         options.record_wal.c_str(), status);
            qx_engine_destroy(engine);
            return 1;
        }
    }

    replay::RunFigures figures;
    figures.skipped_rows = input.skipped_rows;
    const std::size_t total = input.events.size();
    const std::size_t step = total / 100 + 1;
    const auto started = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < total; ++i) {
        if (push(engine, input, input.events[i]) != QX_STATUS_OK) {
            ++figures.refused;
        }
        ++figures.events;
        if (!options.record_wal.empty() && figures.events % kRecordChunk == 0 &&
            qx_flush_market_data_wal(engine) != QX_STATUS_OK) {
            std::fprintf(stderr, "qx-replay: the write-ahead log could not be flushed\n");
            ++figures.refused;
        }
        if (progress && (i % step == 0 || i + 1 == total)) {
            std::fprintf(stderr, "\r  replaying: %zu / %zu events (%3zu%%)", i + 1, total,
                         (i + 1) * 100 / total);
        }
    }
    figures.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (progress) {
        std::fprintf(stderr, "\n");
    }

    if (!options.record_wal.empty() && qx_flush_market_data_wal(engine) != QX_STATUS_OK) {
        std::fprintf(stderr, "qx-replay: the write-ahead log could not be flushed\n");
        ++figures.refused;
    }
    const auto summary = replay::build_summary(engine, input.instruments, figures);
    if (!options.record_wal.empty() && qx_shutdown_market_data_wal(engine) != QX_STATUS_OK) {
        std::fprintf(stderr, "qx-replay: the write-ahead log reported an error at shutdown\n");
        ++figures.refused;
    }
    qx_engine_stop(engine);
    qx_engine_destroy(engine);

    if (!options.quiet) {
        replay::print_summary(summary);
    }
    if (!options.json_out.empty()) {
        const std::string text = summary.dump(2) + "\n";
        if (options.json_out == "-") {
            std::fwrite(text.data(), 1, text.size(), stdout);
        } else {
            std::ofstream out(options.json_out);
            out << text;
            if (!out) {
                std::fprintf(stderr, "qx-replay: cannot write %s\n", options.json_out.c_str());
                return 1;
            }
        }
    }
    return figures.refused == 0 ? 0 : 3;
}
