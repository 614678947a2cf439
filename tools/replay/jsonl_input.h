// Reading recorded market data from JSON-lines files.
//
// Two forms are read:
//  - a store directory: <root>/<venue>/<symbol>/trades.jsonl and book.jsonl, the rows of the
//    library's JSON-lines store (venue and symbol come from the directory names);
//  - a combined file (*.jsonl): every row carries "venue" and "symbol" besides the store row's
//    fields; a row with "aggressor" is a trade, a row with "side" a book update.
// Events of all files are merged into one stream ordered by receive time; events with equal
// receive times keep file order, book files before trade files of the same instrument.
#pragma once

#include <string>
#include <vector>

#include "replay/replay_event.h"

namespace replay {

struct Input {
    std::vector<Instrument> instruments;
    std::vector<ReplayEvent> events;
    std::uint64_t skipped_rows = 0;  // rows that could not be read
};

// Reads `path` (a store directory or a combined file). On failure returns false and sets
// `error`.
bool read_jsonl_input(const std::string& path, Input& input, std::string& error);

// Orders the events of all inputs by receive time; equal times keep their reading order.
void sort_by_receive_time(Input& input);

}  // namespace replay
