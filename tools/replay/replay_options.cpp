#include "replay/replay_options.h"

#include <string_view>

namespace replay {

const char* usage_text() {
    return "usage: qx-replay [options] INPUT...\n"
           "\n"
           "Replays recorded market data through the qx engine's C interface and prints a\n"
           "summary per instrument.\n"
           "\n"
           "INPUT is a JSON-lines store directory (<root>/<venue>/<symbol>/trades.jsonl and\n"
           "book.jsonl), a combined .jsonl file whose rows also carry \"venue\" and\n"
           "\"symbol\", or a market-data write-ahead-log segment root. Events of all inputs\n"
           "are merged by receive time.\n"
           "\n"
           "options:\n"
           "  --config FILE   engine configuration file (TOML or JSON); by default the engine\n"
           "                  runs with built-in settings and a private, temporary audit log\n"
           "  --json FILE     also write the summary as JSON to FILE ('-' for stdout)\n"
           "  --record-wal DIR  record the replayed events into a market-data write-ahead log\n"
           "                  at DIR (which must be empty or a clean log)\n"
           "  --quiet         no progress and no text summary\n"
           "  -h, --help      this text\n";
}

bool parse_options(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "missing value for " + std::string(arg);
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--config") {
            if (!value(options.config_path)) {
                return false;
            }
        } else if (arg == "--json") {
            if (!value(options.json_out)) {
                return false;
            }
        } else if (arg == "--record-wal") {
            if (!value(options.record_wal)) {
                return false;
            }
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg.starts_with("--")) {
            error = "unknown option " + std::string(arg);
            return false;
        } else {
            options.inputs.emplace_back(arg);
        }
    }
    if (!options.help && options.inputs.empty()) {
        error = "no input given";
        return false;
    }
    return true;
}

}  // namespace replay
