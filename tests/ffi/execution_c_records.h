// C records and handles shared by the execution export tests.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "qx/qx.h"

namespace qx::ffi::testing {

inline qx_route_config_t c_route(const char* route = "r1") {
    return {route, "acct", "CME", "ESZ6", 1, 0, 0, 0, 0, 0, 0};
}

inline qx_order_request_t c_order(const char* id, const char* route = "r1") {
    return {id, "acct", route, "tag", "CME", "ESZ6", 1, 2, 1, 10, 4500, 0, 7, 1000};
}

inline qx_amend_request_t c_amend(const char* orig, const char* id) {
    return {id, orig, "SIM-1", "acct", "r1", "CME", "ESZ6", 10, 4600, 2000};
}

inline qx_cancel_request_t c_cancel(const char* orig, const char* id = "c-1") {
    return {id, orig, nullptr, "acct", "r1", "CME", "ESZ6", 3000};
}

// An engine handle that is destroyed with the test.
struct Engine {
    qx_execution_engine_t* h = nullptr;
    explicit Engine(std::vector<qx_route_config_t> routes, bool start = true) {
        EXPECT_EQ(qx_execution_engine_create_multi(routes.data(),
                                                   static_cast<uint32_t>(routes.size()), &h),
                  QX_STATUS_OK);
        if (start) {
            EXPECT_EQ(qx_execution_engine_start(h), QX_STATUS_OK);
        }
    }
    ~Engine() { qx_execution_engine_destroy(h); }
};

// Events filled with a sentinel byte so untouched memory shows.
inline std::vector<qx_execution_event_t> sentinel_events(std::size_t n) {
    std::vector<qx_execution_event_t> v(n);
    std::memset(v.data(), 0x5a, n * sizeof(qx_execution_event_t));
    return v;
}

inline bool untouched(const qx_execution_event_t& e) {
    const auto* p = reinterpret_cast<const unsigned char*>(&e);
    for (std::size_t i = 0; i < sizeof e; ++i) {
        if (p[i] != 0x5a) {
            return false;
        }
    }
    return true;
}

// A text field holds exactly `text` followed by zero bytes to its end.
template <std::size_t N>
void expect_field(const char (&field)[N], const std::string& text) {
    EXPECT_EQ(std::string(field), text);
    for (std::size_t i = text.size(); i < N; ++i) {
        ASSERT_EQ(field[i], '\0') << "byte " << i << " after \"" << text << "\"";
    }
}

}  // namespace qx::ffi::testing
