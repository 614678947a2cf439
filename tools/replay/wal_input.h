// Reading recorded market data back from a market-data write-ahead-log segment root (the
// directory configured with qx_configure_market_data_wal).
#pragma once

#include <string>

#include "replay/jsonl_input.h"

namespace replay {

// True when `path` is a directory holding a manifest or segment files of the log.
bool is_wal_root(const std::string& path);

// Decodes every record of the log in log order and appends it to `input`. On failure returns
// false and sets `error`.
bool read_wal_input(const std::string& root, Input& input, std::string& error);

}  // namespace replay
