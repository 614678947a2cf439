// Command-line options of qx-replay.
#pragma once

#include <string>
#include <vector>

namespace replay {

struct Options {
    std::vector<std::string> inputs;  // store directories or combined .jsonl files
    std::string config_path;          // engine configuration file; empty: a private one
    std::string json_out;             // write the summary as JSON here when set
    std::string record_wal;           // record the replay into a write-ahead log here when set
    bool quiet = false;               // no progress, no text summary
    bool help = false;
};

// Parses argv; on error returns false and sets `error`.
bool parse_options(int argc, char** argv, Options& options, std::string& error);

const char* usage_text();

}  // namespace replay
