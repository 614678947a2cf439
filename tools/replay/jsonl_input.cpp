#include "replay/jsonl_input.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>

namespace replay {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class InstrumentTable {
  public:
    explicit InstrumentTable(std::vector<Instrument>& list) : list_(list) {}
    std::uint32_t index(const std::string& venue, const std::string& symbol) {
        auto [it, inserted] = map_.try_emplace({venue, symbol}, 0);
        if (inserted) {
            it->second = static_cast<std::uint32_t>(list_.size());
            list_.push_back({venue, symbol, 0, 0});
        }
        return it->second;
    }

  private:
    std::vector<Instrument>& list_;
    std::map<std::pair<std::string, std::string>, std::uint32_t> map_;
};

bool side_code(const json& v, std::uint32_t& out) {
    if (!v.is_string()) {
        return false;
    }
    const auto& s = v.get_ref<const std::string&>();
    if (s == "Bid") {
        out = 0;
    } else if (s == "Ask") {
        out = 1;
    } else {
        return false;
    }
    return true;
}

template <typename T>
bool number(const json& row, const char* key, T& out) {
    const auto it = row.find(key);
    if (it == row.end() || !it->is_number_integer()) {
        return false;
    }
    out = it->get<T>();
    return true;
}

// Fills `e` from a store row; `trade` selects the row shape.
bool parse_row(const json& row, bool trade, ReplayEvent& e) {
    e.is_trade = trade;
    if (!number(row, "seq", e.sequence) || !number(row, "price", e.price) ||
        !number(row, "size", e.size) || !number(row, "ts_exchange_ns", e.ts_exchange_ns) ||
        !number(row, "ts_recv_ns", e.ts_recv_ns)) {
        return false;
    }
    if (trade) {
        const auto it = row.find("aggressor");
        return it != row.end() && side_code(*it, e.side);
    }
    const auto side = row.find("side");
    const auto action = row.find("action");
    if (side == row.end() || !side_code(*side, e.side) || action == row.end() ||
        !action->is_string() || !number(row, "level", e.level)) {
        return false;
    }
    const auto& a = action->get_ref<const std::string&>();
    if (a != "Upsert" && a != "Delete") {
        return false;
    }
    e.action = a == "Upsert" ? 0 : 1;
    return true;
}

// Reads one file. `fixed_instrument` >= 0 for store files; -1 for a combined file.
bool read_file(const fs::path& file, long fixed_instrument, int stream_rank, InstrumentTable& table,
               Input& input, std::string& error) {
    std::ifstream in(file);
    if (!in) {
        error = "cannot open " + file.string();
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            continue;
        }
        const json row = json::parse(line, nullptr, false);
        if (row.is_discarded() || !row.is_object()) {
            ++input.skipped_rows;
            continue;
        }
        ReplayEvent e;
        bool trade = stream_rank == 1;
        if (fixed_instrument < 0) {
            const auto venue = row.find("venue");
            const auto symbol = row.find("symbol");
            if (venue == row.end() || symbol == row.end() || !venue->is_string() ||
                !symbol->is_string()) {
                ++input.skipped_rows;
                continue;
            }
            trade = row.contains("aggressor");
            e.instrument = table.index(venue->get<std::string>(), symbol->get<std::string>());
        } else {
            e.instrument = static_cast<std::uint32_t>(fixed_instrument);
        }
        if (!parse_row(row, trade, e)) {
            ++input.skipped_rows;
            continue;
        }
        Instrument& inst = input.instruments[e.instrument];
        ++(trade ? inst.trades : inst.book_updates);
        input.events.push_back(e);
    }
    return true;
}

}  // namespace

bool read_jsonl_input(const std::string& path, Input& input, std::string& error) {
    std::error_code ec;
    InstrumentTable table(input.instruments);
    if (fs::is_regular_file(path, ec)) {
        if (!read_file(path, -1, 0, table, input, error)) {
            return false;
        }
    } else if (fs::is_directory(path, ec)) {
        std::vector<fs::path> venues;
        for (const auto& v : fs::directory_iterator(path, ec)) {
            if (v.is_directory()) {
                venues.push_back(v.path());
            }
        }
        std::sort(venues.begin(), venues.end());
        for (const fs::path& venue : venues) {
            std::vector<fs::path> symbols;
            for (const auto& s : fs::directory_iterator(venue, ec)) {
                if (s.is_directory()) {
                    symbols.push_back(s.path());
                }
            }
            std::sort(symbols.begin(), symbols.end());
            for (const fs::path& symbol : symbols) {
                const auto idx = static_cast<long>(
                    table.index(venue.filename().string(), symbol.filename().string()));
                const fs::path book = symbol / "book.jsonl";
                const fs::path trades = symbol / "trades.jsonl";
                if (fs::exists(book) && !read_file(book, idx, 0, table, input, error)) {
                    return false;
                }
                if (fs::exists(trades) && !read_file(trades, idx, 1, table, input, error)) {
                    return false;
                }
            }
        }
    } else {
        error = "no such file or directory: " + path;
        return false;
    }
    return true;
}

void sort_by_receive_time(Input& input) {
    std::stable_sort(
        input.events.begin(), input.events.end(),
        [](const ReplayEvent& a, const ReplayEvent& b) { return a.ts_recv_ns < b.ts_recv_ns; });
}

}  // namespace replay
