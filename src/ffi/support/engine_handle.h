// What the C handles hold: the engine with its callback registrations, and the host's share of
// one registration's active flag.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/market_data.h"
#include "qx/qx.h"
#include "runtime/engine/engine.h"

namespace qx::ffi {

using ActiveFlag = std::shared_ptr<std::atomic<bool>>;

// One registered callback, kept in registration order.
struct SubscriptionRecord {
    SymbolId symbol;
    qx_callback_fn callback = nullptr;  // never NULL in the list
    ActiveFlag active;
    void* user_data = nullptr;
    std::uint64_t last_health_seq = 0;
    std::int32_t kind = 0;
};

}  // namespace qx::ffi

struct qx_engine {
    std::unique_ptr<qx::Engine> engine;
    std::vector<qx::ffi::SubscriptionRecord> subscriptions;
    std::string scratch;  // reused for the documents built during dispatch
};

struct qx_subscription {
    qx::ffi::ActiveFlag active;
};
