#include "runtime/engine/analytics_config.h"

#include <algorithm>

namespace qx {

AnalyticsConfig sanitize_analytics_config(AnalyticsConfig c) {
    constexpr std::uint32_t kMaxWindow = 1000000;
    c.vpin_bucket_volume = std::max<std::uint64_t>(c.vpin_bucket_volume, 1);
    for (std::uint32_t* w :
         {&c.vpin_window, &c.kyle_window, &c.cvd_window, &c.volatility_window, &c.noise_window,
          &c.hasbrouck_window, &c.almgren_chriss_window, &c.acd_window, &c.vol_signature_window,
          &c.agent_type_window, &c.institutional_window, &c.resiliency_window,
          &c.spread_decomposition_window, &c.regime_window, &c.book_event_capacity,
          &c.spread_window}) {
        *w = std::min(*w, kMaxWindow);
    }
    return c;
}

AnalyticsConfig analytics_config_from_ffi(const qx_analytics_config_t* r) {
    if (r == nullptr) {
        return AnalyticsConfig{};
    }
    AnalyticsConfig c;
    c.institutional_min_size = r->institutional_min_size;
    c.book_event_window_ns = r->book_event_window_ns;
    c.vpin_bucket_volume = r->vpin_bucket_volume;
    c.vpin_window = r->vpin_window;
    c.kyle_window = r->kyle_window;
    c.cvd_window = r->cvd_window;
    c.volatility_window = r->volatility_window;
    c.noise_window = r->noise_window;
    c.hasbrouck_window = r->hasbrouck_window;
    c.almgren_chriss_window = r->almgren_chriss_window;
    c.acd_window = r->acd_window;
    c.vol_signature_window = r->vol_signature_window;
    c.agent_type_window = r->agent_type_window;
    c.institutional_window = r->institutional_window;
    c.resiliency_window = r->resiliency_window;
    c.spread_decomposition_window = r->spread_decomposition_window;
    c.regime_window = r->regime_window;
    c.book_event_capacity = r->book_event_capacity;
    c.spread_window = r->spread_window;
    return c;
}

}  // namespace qx
