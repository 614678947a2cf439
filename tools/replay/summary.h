// The end-of-run summary: per-instrument documents read back through the C interface.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "qx/qx.h"
#include "replay/replay_event.h"

namespace replay {

struct RunFigures {
    std::uint64_t events = 0;
    std::uint64_t refused = 0;  // events the engine answered with a non-zero status
    std::uint64_t skipped_rows = 0;
    double seconds = 0;
};

nlohmann::ordered_json build_summary(qx_engine_t* engine,
                                     const std::vector<Instrument>& instruments,
                                     const RunFigures& figures);

void print_summary(const nlohmann::ordered_json& summary);

}  // namespace replay
