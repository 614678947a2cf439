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

namespace {

using replay::Input;
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
        if (!replay::read_jsonl_input(path, input, error)) {
            std::fprintf(stderr, "qx-replay: %s\n", error.c_str());
            return 1;
        }
    }
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

    const auto summary = replay::build_summary(engine, input.instruments, figures);
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
