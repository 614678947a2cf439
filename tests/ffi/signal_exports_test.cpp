// The three signal exports at the C boundary: statuses, conversion of parameter records, and
// out-parameters left untouched on failure.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "qx/qx.h"

namespace {

qx_signal_config_parameter_t integer_param(const char* name, int64_t v) {
    qx_signal_config_parameter_t p{};
    p.name = name;
    p.kind = QX_SIGNAL_PARAMETER_INTEGER;
    p.integer_value = v;
    return p;
}

// Calls the export and returns the text, or the status prefixed with '#' when it fails
// (checking that nothing was written then).
std::string validate(const char* id, const qx_signal_config_parameter_t* params, uint32_t count) {
    char sentinel = 'x';
    char* out = &sentinel;
    uint32_t len = 77;
    const qx_status_t st = qx_validate_signal_config_json(id, params, count, &out, &len);
    if (st != QX_STATUS_OK) {
        EXPECT_EQ(out, &sentinel);
        EXPECT_EQ(len, 77u);
        return "#" + std::to_string(st);
    }
    std::string text(out, len);
    EXPECT_EQ(out[len], '\0');
    qx_string_free(out);
    return text;
}

TEST(SignalExports, Descriptors) {
    char* out = nullptr;
    uint32_t len = 0;
    EXPECT_EQ(qx_get_signal_descriptors_json(nullptr, &len), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_get_signal_descriptors_json(&out, nullptr), QX_STATUS_INVALID_ARGUMENT);
    ASSERT_EQ(qx_get_signal_descriptors_json(&out, &len), QX_STATUS_OK);
    const std::string text(out, len);
    qx_string_free(out);
    EXPECT_EQ(text.rfind("{\"schema_version\":1,\"signals\":[{\"id\":\"delta_momentum_v1\",", 0),
              0u);
    EXPECT_EQ(text.substr(text.size() - 3), "}]}");
}

TEST(SignalExports, ValidateConfigVerdictsAreStatusZero) {
    EXPECT_EQ(validate("delta_momentum_v1", nullptr, 0),
              "{\"schema_version\":1,\"signal_id\":\"delta_momentum_v1\",\"valid\":true,"
              "\"error\":null}");
    const qx_signal_config_parameter_t below = integer_param("threshold", -1);
    EXPECT_EQ(validate("delta_momentum_v1", &below, 1),
              "{\"schema_version\":1,\"signal_id\":\"delta_momentum_v1\",\"valid\":false,"
              "\"error\":\"parameter `delta_momentum_v1.threshold` is below the descriptor "
              "minimum\"}");
    qx_signal_config_parameter_t as_float{};
    as_float.name = "threshold";
    as_float.kind = QX_SIGNAL_PARAMETER_FLOAT;
    as_float.float_value = 100.0;
    EXPECT_NE(validate("delta_momentum_v1", &as_float, 1).find("expected Integer, got Float"),
              std::string::npos);
    qx_signal_config_parameter_t text{};
    text.name = "threshold";
    text.kind = QX_SIGNAL_PARAMETER_TEXT;
    text.text_value = "100";
    EXPECT_NE(validate("delta_momentum_v1", &text, 1).find("expected Integer, got Text"),
              std::string::npos);
    qx_signal_config_parameter_t flag{};
    flag.name = "threshold";
    flag.kind = QX_SIGNAL_PARAMETER_BOOLEAN;
    flag.boolean_value = 1;
    EXPECT_NE(validate("delta_momentum_v1", &flag, 1).find("expected Integer, got Boolean"),
              std::string::npos);
    const qx_signal_config_parameter_t twice[] = {integer_param("threshold", 1),
                                                  integer_param("threshold", 2)};
    EXPECT_NE(validate("delta_momentum_v1", twice, 2)
                  .find("duplicate parameter `threshold` for signal `delta_momentum_v1`"),
              std::string::npos);
    EXPECT_NE(validate("unknown\n", nullptr, 0)
                  .find("\"signal_id\":\"unknown\\n\",\"valid\":false,\"error\":\"unknown signal "
                        "id `unknown\\n`\""),
              std::string::npos);
}

TEST(SignalExports, BadRecordsAndPointersAreStatusOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        qx_signal_config_parameter_t p;
    };
    qx_signal_config_parameter_t base = integer_param("threshold", 1);
    auto with = [&](auto change) {
        qx_signal_config_parameter_t p = base;
        change(p);
        return p;
    };
    const Case cases[] = {
        {"kind 5", with([](auto& p) { p.kind = 5; })},
        {"kind 0", with([](auto& p) { p.kind = 0; })},
        {"NaN float", with([&](auto& p) {
             p.kind = QX_SIGNAL_PARAMETER_FLOAT;
             p.float_value = nan;
         })},
        {"infinite float", with([&](auto& p) {
             p.kind = QX_SIGNAL_PARAMETER_FLOAT;
             p.float_value = -inf;
         })},
        {"boolean byte 2", with([](auto& p) {
             p.kind = QX_SIGNAL_PARAMETER_BOOLEAN;
             p.boolean_value = 2;
         })},
        {"NULL text", with([](auto& p) {
             p.kind = QX_SIGNAL_PARAMETER_TEXT;
             p.text_value = nullptr;
         })},
        {"invalid UTF-8 text", with([](auto& p) {
             p.kind = QX_SIGNAL_PARAMETER_TEXT;
             p.text_value = "\xff";
         })},
        {"NULL name", with([](auto& p) { p.name = nullptr; })},
        {"invalid UTF-8 name", with([](auto& p) { p.name = "thr\xc3"; })},
    };
    for (const Case& c : cases) {
        // A bad record fails the whole call even after a good one.
        const qx_signal_config_parameter_t records[] = {base, c.p};
        EXPECT_EQ(validate("delta_momentum_v1", records, 2), "#1") << c.name;
    }
    EXPECT_EQ(validate(nullptr, nullptr, 0), "#1");
    EXPECT_EQ(validate("delta\xe2\x82", nullptr, 0), "#1");
    EXPECT_EQ(validate("delta_momentum_v1", nullptr, 1), "#1");
    char* out = nullptr;
    uint32_t len = 0;
    EXPECT_EQ(qx_validate_signal_config_json("delta_momentum_v1", nullptr, 0, nullptr, &len),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_validate_signal_config_json("delta_momentum_v1", nullptr, 0, &out, nullptr),
              QX_STATUS_INVALID_ARGUMENT);
}

qx_signal_replay_event_t replay_event(int64_t delta, int64_t last, uint64_t ts, uint8_t has_ts) {
    qx_signal_replay_event_t e{};
    e.delta = delta;
    e.last_price = last;
    e.ts_exchange_ns = ts;
    e.has_ts_exchange_ns = has_ts;
    return e;
}

TEST(SignalExports, ReplayConvertsRecords) {
    const qx_signal_replay_event_t events[] = {
        replay_event(150, 100, 10, 1), replay_event(0, 101, 5, 1), replay_event(0, 101, 1, 0)};
    qx_signal_replay_config_t config{};
    config.markout_horizon_events = 1;
    config.flat_price_threshold = -3;
    config.min_confidence_bps = 7;
    config.store_samples = 9;  // any nonzero byte is true
    config.check_monotonic_timestamps = 1;
    const qx_signal_config_parameter_t threshold = integer_param("threshold", 120);
    char* out = nullptr;
    uint32_t len = 0;
    ASSERT_EQ(qx_validate_signal_replay_json("delta_momentum_v1", &threshold, 1, events, 3, &config,
                                             &out, &len),
              QX_STATUS_OK);
    const std::string text(out, len);
    qx_string_free(out);
    EXPECT_NE(text.find("\"config\":{\"markout_horizon_events\":1,\"flat_price_threshold\":-3,"
                        "\"min_confidence_bps\":7,\"store_samples\":true,"
                        "\"check_monotonic_timestamps\":true}"),
              std::string::npos);
    EXPECT_NE(text.find("\"evaluated_events\":3,\"labeled_events\":2,\"missing_markouts\":1,"
                        "\"directional_predictions\":1,\"long_predictions\":1"),
              std::string::npos);
    // The third event has no timestamp, so only 5 after 10 is reported.
    EXPECT_NE(text.find("\"warning_count\":2"), std::string::npos);
    EXPECT_NE(text.find("\"previous_ts_exchange_ns\":10,\"current_ts_exchange_ns\":5"),
              std::string::npos);
}

TEST(SignalExports, ReplayStatuses) {
    qx_signal_replay_config_t config{};
    char sentinel = 'x';
    char* out = &sentinel;
    uint32_t len = 55;
    const qx_signal_config_parameter_t bad = {"threshold", 9, 0, 0, 0, nullptr};
    EXPECT_EQ(qx_validate_signal_replay_json("delta_momentum_v1", nullptr, 0, nullptr, 0, nullptr,
                                             &out, &len),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_validate_signal_replay_json(nullptr, nullptr, 0, nullptr, 0, &config, &out, &len),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_validate_signal_replay_json("delta_momentum_v1", nullptr, 0, nullptr, 2, &config,
                                             &out, &len),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_validate_signal_replay_json("delta_momentum_v1", &bad, 1, nullptr, 0, &config,
                                             &out, &len),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(
        qx_validate_signal_replay_json("\xc0\xaf", nullptr, 0, nullptr, 0, &config, &out, &len),
        QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_validate_signal_replay_json("delta_momentum_v1", nullptr, 0, nullptr, 0, &config,
                                             nullptr, &len),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(out, &sentinel);
    EXPECT_EQ(len, 55u);

    // A rejected configuration and an empty input are both answers with status 0.
    ASSERT_EQ(
        qx_validate_signal_replay_json("composite_v1", &bad, 0, nullptr, 0, &config, &out, &len),
        QX_STATUS_OK);
    EXPECT_NE(std::string(out, len).find("{\"code\":\"empty_input\"}"), std::string::npos);
    qx_string_free(out);
    const qx_signal_config_parameter_t unknown = integer_param("threshold", 1);
    ASSERT_EQ(qx_validate_signal_replay_json("composite_v1", &unknown, 1, nullptr, 0, &config, &out,
                                             &len),
              QX_STATUS_OK);
    EXPECT_EQ(std::string(out, len),
              "{\"schema_version\":1,\"signal_id\":\"composite_v1\",\"valid\":false,\"error\":"
              "\"unknown parameter `threshold` for signal `composite_v1`\"}");
    qx_string_free(out);
}

}  // namespace
