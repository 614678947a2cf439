#include "replay/wal_input.h"

#include <filesystem>
#include <map>

#include "persist/market_data_segmented/segment_metadata.h"
#include "persist/market_data_wal_reader.h"

namespace replay {

bool is_wal_root(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
        return false;
    }
    for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
        const std::string name = entry.path().filename().string();
        if (name == qx::persist::kManifestFileName ||
            qx::persist::looks_like_segment_file_name(name)) {
            return true;
        }
    }
    return false;
}

bool read_wal_input(const std::string& root, Input& input, std::string& error) {
    std::map<std::pair<std::string, std::string>, std::uint32_t> index;
    for (std::uint32_t i = 0; i < input.instruments.size(); ++i) {
        index[{input.instruments[i].venue, input.instruments[i].symbol}] = i;
    }
    auto instrument = [&](const qx::SymbolId& s) {
        auto [it, inserted] = index.try_emplace({s.venue, s.symbol}, 0);
        if (inserted) {
            it->second = static_cast<std::uint32_t>(input.instruments.size());
            input.instruments.push_back({s.venue, s.symbol, 0, 0});
        }
        return it->second;
    };
    auto read = qx::persist::read_normalized_market_data_wal(
        root, [&](std::uint64_t, qx::persist::NormalizedMarketDataRecord&& record) {
            ReplayEvent e;
            if (record.kind == qx::persist::NormalizedMarketDataKind::Trade) {
                const qx::TradePrint t = record.to_trade_print();
                e.instrument = instrument(t.symbol);
                e.is_trade = true;
                e.price = t.price;
                e.size = t.size;
                e.side = t.aggressor == qx::Side::Ask ? 1 : 0;
                e.sequence = t.sequence;
                e.ts_exchange_ns = t.ts_exchange_ns;
                e.ts_recv_ns = t.ts_recv_ns;
                ++input.instruments[e.instrument].trades;
            } else {
                const qx::BookUpdate u = record.to_book_update();
                e.instrument = instrument(u.symbol);
                e.price = u.price;
                e.size = u.size;
                e.side = u.side == qx::Side::Ask ? 1 : 0;
                e.level = u.level;
                e.action = u.action == qx::BookAction::Delete ? 1 : 0;
                e.sequence = u.sequence;
                e.ts_exchange_ns = u.ts_exchange_ns;
                e.ts_recv_ns = u.ts_recv_ns;
                ++input.instruments[e.instrument].book_updates;
            }
            input.events.push_back(e);
        });
    if (!read) {
        error = "cannot read the write-ahead log " + root + ": " + read.error().message;
        return false;
    }
    input.skipped_rows += read->undecodable;
    return true;
}

}  // namespace replay
