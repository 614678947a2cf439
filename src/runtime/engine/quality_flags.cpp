#include "runtime/engine/quality_flags.h"

namespace qx {

std::string quality_flags_detail_json(QualityFlags flags) {
    static constexpr const char* kNames[] = {"STALE_FEED",      "SEQUENCE_GAP", "CLOCK_SKEW",
                                             "DEPTH_TRUNCATED", "OUT_OF_ORDER", "ADAPTER_DEGRADED"};
    std::string out = "[";
    bool first = true;
    for (unsigned bit = 0; bit < 6; ++bit) {
        if ((flags & (1u << bit)) == 0) {
            continue;
        }
        if (!first) {
            out += ',';
        }
        first = false;
        out += '"';
        out += kNames[bit];
        out += '"';
    }
    out += ']';
    return out;
}

}  // namespace qx
