// The audit log on real files: line format, redaction, rotation and failures; and the event
// details objects the engine writes.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "helpers/scratch_dir.h"
#include "runtime/engine/audit_events.h"
#include "runtime/engine/audit_log.h"

namespace qx {
namespace {

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// A line of event "e", details "{}" and ts 0 is 34 bytes.
constexpr std::size_t kLineLen = 34;
const std::string kLine = "{\"event\":\"e\",\"details\":{},\"ts\":0}\n";

TEST(AuditLog, LineFormatAndWallClockSeconds) {
    qx_test::ScratchDir dir;
    const AuditLog log(dir / "audit.log", {}, 1 << 20, 5);
    ASSERT_EQ(kLine.size(), kLineLen);
    ASSERT_TRUE(log.append_at("e", "{}", 0));
    ASSERT_TRUE(log.append_at("engine_stopped", "{\"processed_events\":3}", 1700000000));
    EXPECT_EQ(read_text(log.path()),
              kLine +
                  "{\"event\":\"engine_stopped\",\"details\":{\"processed_events\":3},"
                  "\"ts\":1700000000}\n");

    const auto before = static_cast<std::uint64_t>(std::time(nullptr));
    ASSERT_TRUE(log.append("engine_stopping", "{\"draining\":true}"));
    const auto after = static_cast<std::uint64_t>(std::time(nullptr));
    const std::string text = read_text(log.path());
    const std::string last = text.substr(text.rfind("{\"event\":\"engine_stopping\""));
    const auto ts = nlohmann::json::parse(last)["ts"].get<std::uint64_t>();
    EXPECT_GE(ts, before);
    EXPECT_LE(ts, after);
}

TEST(AuditLog, RedactsTokensAsConfiguredLowerAndUpperCase) {
    const AuditLog log("unused", {"secret", "", "Token"}, 100, 1);
    EXPECT_EQ(log.redact("{\"k\":\"Secret secret TOKEN token Token\"}"),
              "{\"k\":\"Secret [REDACTED] [REDACTED] [REDACTED] [REDACTED]\"}");
    EXPECT_EQ(log.redact("secretsecret tokentoken"), "[REDACTED][REDACTED] [REDACTED][REDACTED]");
    // Each replacement step works on the result of the one before, so a token found inside an
    // earlier "[REDACTED]" marker is replaced there too: "RED" as configured, then in upper case.
    const AuditLog markers("unused", {"ab", "RED"}, 100, 1);
    EXPECT_EQ(markers.redact("ab"), "[[[REDACTED]ACTED]ACTED]");
}

TEST(AuditLog, RotatesWhenTheLineWouldPassMaxBytes) {
    qx_test::ScratchDir dir;
    const std::string path = dir / "a.log";
    const AuditLog log(path, {}, 100, 3);

    write_text(path, std::string(100 - kLineLen, 'x'));
    ASSERT_TRUE(log.append_at("e", "{}", 0));
    EXPECT_FALSE(exists(path + ".1")) << "exactly max_bytes is not more than max_bytes";
    EXPECT_EQ(read_text(path).size(), 100u);

    write_text(path, std::string(100 - kLineLen + 1, 'x'));
    ASSERT_TRUE(log.append_at("e", "{}", 0));
    EXPECT_EQ(read_text(path + ".1"), std::string(100 - kLineLen + 1, 'x'));
    EXPECT_EQ(read_text(path), kLine) << "the line starts a new file";
}

TEST(AuditLog, RotationShiftsNumberedFilesAndDropsTheOldest) {
    qx_test::ScratchDir dir;
    const std::string path = dir / "a.log";
    const AuditLog log(path, {}, 40, 2);
    write_text(path, "current");
    write_text(path + ".1", "one");
    write_text(path + ".2", "two");
    ASSERT_TRUE(log.append_at("e", "{}", 0));
    EXPECT_EQ(read_text(path + ".2"), "one");
    EXPECT_EQ(read_text(path + ".1"), "current");
    EXPECT_EQ(read_text(path), kLine);
    EXPECT_FALSE(exists(path + ".3"));

    // A missing file rotates when the line alone is too long, and numbered files still shift.
    std::filesystem::remove(path);
    const AuditLog tiny(path, {}, 10, 2);
    ASSERT_TRUE(tiny.append_at("e", "{}", 0));
    EXPECT_EQ(read_text(path + ".2"), "current");
    EXPECT_EQ(read_text(path), kLine);
}

TEST(AuditLog, ZeroMaxFilesDeletesTheCurrentFile) {
    qx_test::ScratchDir dir;
    const std::string path = dir / "a.log";
    const AuditLog log(path, {}, 40, 0);
    write_text(path, "old contents");
    ASSERT_TRUE(log.append_at("e", "{}", 0));
    EXPECT_EQ(read_text(path), kLine);
    EXPECT_FALSE(exists(path + ".1"));
    EXPECT_EQ(rotated_path("audit/quorix_audit.log", 1), "audit/quorix_audit.log.1");
}

TEST(AuditLog, FailuresAreIoErrorsAndStopBeforeWriting) {
    qx_test::ScratchDir dir;
    const AuditLog nowhere(dir / "missing/a.log", {}, 100, 1);
    auto r = nowhere.append_at("e", "{}", 0);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, RuntimeErrorKind::Io);
    EXPECT_NE(r.error().message.find("(os error 2)"), std::string::npos) << r.error().message;

    // The oldest rotated "file" is a non-empty directory, so it cannot be deleted.
    const std::string path = dir / "b.log";
    write_text(path, std::string(90, 'x'));
    std::filesystem::create_directories(path + ".1/inside");
    const AuditLog blocked(path, {}, 100, 1);
    r = blocked.append_at("e", "{}", 0);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, RuntimeErrorKind::Io);
    EXPECT_EQ(read_text(path), std::string(90, 'x')) << "the line is not written";
}

TEST(AuditEvents, DetailsObjectsEscapeHostTexts) {
    const SymbolView plain{"CME", "ESZ5"};
    const SymbolView hostile{"ve\"n\\", "s\nx\",\"forged\":\"1"};
    struct Case {
        std::string details;
        std::string expected;
    };
    const Case cases[] = {
        {audit_engine_started_details("desk\"1", "00ff"),
         R"({"instance_id":"desk\"1","config_hash":"00ff"})"},
        {audit_engine_stopping_details(), R"({"draining":true})"},
        {audit_engine_stopped_details(42), R"({"processed_events":42})"},
        {audit_subscription_added_details(plain, 10),
         R"({"venue":"CME","symbol":"ESZ5","depth_levels":10})"},
        {audit_subscription_removed_details(hostile),
         R"({"venue":"ve\"n\\","symbol":"s\nx\",\"forged\":\"1"})"},
        {audit_session_reset_details(plain), R"({"venue":"CME","symbol":"ESZ5"})"},
        {audit_external_feed_configured_details(15000, true),
         R"({"stale_after_ms":15000,"enforce_sequence":true})"},
        {audit_external_feed_reconnecting_details(false), R"({"reconnecting":false})"},
        {audit_signal_blocked_details(plain, 33),
         R"({"venue":"CME","symbol":"ESZ5","quality_flags":33})"},
        {audit_backpressure_details(10, 4, 6, 4),
         R"({"drained_events":10,"processed_events":4,"dropped_events":6,"max_events_per_poll":4})"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.details, c.expected);
    }

    // Written through the log, every line stays valid JSON and keeps the texts intact.
    qx_test::ScratchDir dir;
    const AuditLog log(dir / "a.log", {"secret"}, 1 << 20, 1);
    ASSERT_TRUE(log.append(kAuditSignalBlocked, audit_signal_blocked_details(hostile, 1)));
    ASSERT_TRUE(log.append(kAuditEngineStarted, audit_engine_started_details("my-secret", "ab")));
    std::istringstream lines(read_text(dir / "a.log"));
    std::vector<nlohmann::json> parsed;
    for (std::string line; std::getline(lines, line);) {
        parsed.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0]["event"], "signal_blocked");
    EXPECT_EQ(parsed[0]["details"]["venue"], "ve\"n\\");
    EXPECT_EQ(parsed[0]["details"]["symbol"], "s\nx\",\"forged\":\"1");
    EXPECT_FALSE(parsed[0]["details"].contains("forged"));
    EXPECT_EQ(parsed[1]["details"]["instance_id"], "my-[REDACTED]");
}

}  // namespace
}  // namespace qx
