// A started engine in a private temporary directory, created through the C interface, with
// helpers to push events and read documents.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ffi/support/engine_handle.h"
#include "helpers/scratch_dir.h"
#include "qx/qx.h"

namespace qx::testing {

// Reads every line of a text file.
inline std::vector<std::string> read_lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class EngineFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.empty());
        config_path_ = dir_ + "/engine.json";
        std::ofstream(config_path_)
            << "{\"instance_id\":\"test\",\"audit_log_path\":\"" << dir_
            << "/audit/audit.log\",\"data_root\":\"" << dir_ << "/data\"" << extra_config() << "}";
        qx_engine_config_t config{};
        config.config_path = config_path_.c_str();
        ASSERT_EQ(qx_engine_create(&config, &engine_), QX_STATUS_OK);
        if (start_engine()) {
            ASSERT_EQ(qx_engine_start(engine_), QX_STATUS_OK);
        }
    }
    void TearDown() override { qx_engine_destroy(engine_); }

    virtual std::string extra_config() const { return ""; }
    virtual bool start_engine() const { return true; }

    Engine& engine() { return *engine_->engine; }
    std::string audit_path() const { return dir_ + "/audit/audit.log"; }

    qx_status_t trade(const char* venue, const char* symbol, int64_t price, int64_t size,
                      uint32_t aggressor, uint64_t sequence = 0, uint32_t flags = 0,
                      uint64_t ts = 1000) {
        const qx_trade_t t{{venue, symbol, 0}, price, size, aggressor, sequence, ts, ts + 1};
        return qx_ingest_trade(engine_, &t, flags);
    }
    qx_status_t book(const char* venue, const char* symbol, uint32_t side, uint16_t level,
                     int64_t price, int64_t size, uint32_t action = 0, uint64_t sequence = 0,
                     uint32_t flags = 0, uint64_t ts = 500) {
        const qx_book_update_t u{{venue, symbol, 0}, side, level, price, size, action,
                                 sequence,           ts,   ts + 1};
        return qx_ingest_book(engine_, &u, flags);
    }

    // A caller-buffer query through the size probe.
    template <typename Query>
    std::string query(Query&& q) {
        char probe = 0;
        uint32_t len = 0;
        const qx_status_t first = q(&probe, &len);
        if (first == QX_STATUS_OK) {
            return std::string();
        }
        EXPECT_EQ(first, QX_STATUS_INVALID_ARGUMENT);
        std::string buf(len, '\0');
        EXPECT_EQ(q(buf.data(), &len), QX_STATUS_OK);
        buf.resize(len);
        return buf;
    }

    template <typename Query>
    std::string returned(Query&& q) {
        char* out = nullptr;
        uint32_t len = 0;
        EXPECT_EQ(q(&out, &len), QX_STATUS_OK);
        if (out == nullptr) {
            return {};
        }
        std::string text(out, len);
        qx_string_free(out);
        return text;
    }

    std::string metrics() {
        return returned([&](char** o, uint32_t* l) { return qx_get_metrics_json(engine_, o, l); });
    }

    qx_test::ScratchDir scratch_;
    std::string dir_ = scratch_.path();
    std::string config_path_;
    qx_engine_t* engine_ = nullptr;
};

// Records every callback it receives.
struct Received {
    struct Call {
        uint32_t kind;
        std::string json;
        uint64_t ts_exchange_ns;
        uint64_t ts_recv_ns;
        uint32_t reserved;
        uint32_t quality_flags;
    };
    std::vector<Call> calls;

    static void record(const qx_callback_event_t* e, void* user) {
        static_cast<Received*>(user)->calls.push_back({e->kind, std::string(e->json, e->json_len),
                                                       e->ts_exchange_ns, e->ts_recv_ns,
                                                       e->reserved, e->quality_flags});
    }
};

}  // namespace qx::testing
