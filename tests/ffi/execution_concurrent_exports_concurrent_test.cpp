// The worker-thread execution engine through its C entry points: creation and capacities,
// command ids, report order and copying, stop semantics and destruction.
#include <gtest/gtest.h>

#include <dirent.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "qx/qx.h"

namespace {

using namespace std::chrono_literals;

qx_route_config_t c_route(const char* route = "r1", uint8_t kill_switch = 0) {
    return {route, "acct", "CME", "ESZ6", 1, kill_switch, 0, 0, 0, 0, 0};
}

qx_order_request_t c_order(const char* id, const char* route = "r1") {
    return {id, "acct", route, "tag", "CME", "ESZ6", 1, 2, 1, 10, 4500, 0, 7, 1000};
}

struct Handle {
    qx_concurrent_execution_engine_t* h = nullptr;
    explicit Handle(std::vector<qx_route_config_t> routes = {c_route()},
                    const qx_concurrent_engine_config_t* config = nullptr) {
        EXPECT_EQ(qx_execution_concurrent_engine_create_multi(
                      routes.data(), static_cast<uint32_t>(routes.size()), config, &h),
                  QX_STATUS_OK);
    }
    ~Handle() { qx_execution_concurrent_engine_destroy(h); }
};

struct Received {
    qx_status_t status = QX_STATUS_CAPACITY;
    qx_execution_command_report_t report{};
    std::vector<qx_execution_event_t> events;
};

// Waits (up to a generous limit) for the next report, offering room for `capacity` events.
Received next_report(qx_concurrent_execution_engine_t* h, uint32_t capacity = 8) {
    Received r;
    r.events.resize(capacity);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        uint32_t count = capacity;
        std::memset(&r.report, 0x5a, sizeof r.report);
        r.status = qx_execution_concurrent_try_recv_report(h, &r.report, r.events.data(), &count);
        if (r.status != QX_STATUS_CAPACITY || r.report.command_id != 0x5a5a5a5a5a5a5a5aULL) {
            r.events.resize(count <= capacity ? count : 0);
            return r;
        }
        std::this_thread::yield();
    }
    ADD_FAILURE() << "no report arrived";
    return r;
}

// Queues submits until the queue stays full: returns the ids of those accepted.
std::vector<uint64_t> fill_until_full(qx_concurrent_execution_engine_t* h,
                                      const std::string& prefix) {
    std::vector<uint64_t> accepted;
    int refusals_in_a_row = 0;
    while (refusals_in_a_row < 100) {
        const std::string id = prefix + std::to_string(accepted.size());
        const qx_order_request_t order = c_order(id.c_str());
        uint64_t command_id = 0;
        const qx_status_t st = qx_execution_concurrent_submit_order(h, &order, &command_id);
        if (st == QX_STATUS_OK) {
            accepted.push_back(command_id);
            refusals_in_a_row = 0;
        } else {
            EXPECT_EQ(st, QX_STATUS_CAPACITY);
            ++refusals_in_a_row;
            std::this_thread::sleep_for(1ms);  // let the worker settle on the full report queue
        }
    }
    return accepted;
}

TEST(ConcurrentExports, CreateChecksArguments) {
    qx_route_config_t route = c_route();
    qx_concurrent_execution_engine_t* sentinel =
        reinterpret_cast<qx_concurrent_execution_engine_t*>(0x1);
    qx_concurrent_execution_engine_t* out = sentinel;
    EXPECT_EQ(qx_execution_concurrent_engine_create_multi(nullptr, 1, nullptr, &out),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_engine_create_multi(&route, 0, nullptr, &out),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_engine_create_multi(&route, 1, nullptr, nullptr),
              QX_STATUS_INVALID_ARGUMENT);
    qx_route_config_t bad[2] = {c_route(), c_route(nullptr)};
    EXPECT_EQ(qx_execution_concurrent_engine_create_multi(bad, 2, nullptr, &out),
              QX_STATUS_INVALID_ARGUMENT);
    // Capacities whose storage cannot be reserved fail creation; they never end the process.
    const uint32_t huge = std::numeric_limits<uint32_t>::max();
    for (const qx_concurrent_engine_config_t& config :
         {qx_concurrent_engine_config_t{huge, 0, 0}, qx_concurrent_engine_config_t{0, huge, 0},
          qx_concurrent_engine_config_t{huge, huge, huge}}) {
        EXPECT_EQ(qx_execution_concurrent_engine_create_multi(&route, 1, &config, &out),
                  QX_STATUS_INVALID_ARGUMENT);
    }
    EXPECT_EQ(out, sentinel);
    // A huge event capacity alone is fine: the event buffer grows on demand.
    const qx_concurrent_engine_config_t events_only{0, 0, huge};
    ASSERT_EQ(qx_execution_concurrent_engine_create_multi(&route, 1, &events_only, &out),
              QX_STATUS_OK);
    qx_execution_concurrent_engine_destroy(out);
    qx_execution_concurrent_engine_destroy(nullptr);
}

TEST(ConcurrentExports, NullArgumentsGiveOne) {
    Handle e;
    const qx_order_request_t order = c_order("o-1");
    const qx_amend_request_t amend = {"o-2", "o-1", nullptr, "acct", "r1", "CME", "ESZ6", 10, 1, 0};
    const qx_cancel_request_t cancel = {"c-1", "o-1", nullptr, "acct", "r1", "CME", "ESZ6", 0};
    uint64_t id = 0;
    EXPECT_EQ(qx_execution_concurrent_submit_order(nullptr, &order, &id),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_submit_order(e.h, nullptr, &id), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_amend_order(nullptr, &amend, &id),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_amend_order(e.h, nullptr, &id), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_cancel_order(nullptr, &cancel, &id),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_cancel_order(e.h, nullptr, &id), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_poll(nullptr, &id), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_stop(nullptr, &id), QX_STATUS_INVALID_ARGUMENT);
    qx_execution_command_report_t report;
    qx_execution_event_t events[2];
    uint32_t count = 2;
    EXPECT_EQ(qx_execution_concurrent_try_recv_report(nullptr, &report, events, &count),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_try_recv_report(e.h, nullptr, events, &count),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_concurrent_try_recv_report(e.h, &report, events, nullptr),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(id, 0u);
    // Nothing was queued, so nothing is waiting and the first id is still 1.
    EXPECT_EQ(qx_execution_concurrent_try_recv_report(e.h, &report, events, &count),
              QX_STATUS_CAPACITY);
    ASSERT_EQ(qx_execution_concurrent_poll(e.h, &id), QX_STATUS_OK);
    EXPECT_EQ(id, 1u);
}

TEST(ConcurrentExports, IdsCountFromOneAndSkipRefusedCommands) {
    // Capacities 1 and 1: with the worker stuck on a full report queue, queuing is refused.
    const qx_concurrent_engine_config_t config{1, 1, 0};
    Handle e({c_route()}, &config);
    uint64_t id = 0;
    const qx_order_request_t o1 = c_order("o-1");
    ASSERT_EQ(qx_execution_concurrent_submit_order(e.h, &o1, &id), QX_STATUS_OK);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(next_report(e.h).report.command_id, 1u);
    // An invalid record takes no id and leaves *command_id alone.
    qx_order_request_t invalid = c_order("o-x");
    invalid.side = 3;
    id = 99;
    EXPECT_EQ(qx_execution_concurrent_submit_order(e.h, &invalid, &id), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(id, 99u);
    // Accepted until full: one report waiting, one command held by the worker, one queued.
    const std::vector<uint64_t> accepted = fill_until_full(e.h, "fill-");
    ASSERT_EQ(accepted.size(), 3u);
    EXPECT_EQ(accepted[0], 2u);
    for (uint64_t want : accepted) {
        Received r = next_report(e.h);
        ASSERT_EQ(r.status, QX_STATUS_OK);
        EXPECT_EQ(r.report.command_id, want);
    }
    // Every refused attempt took an id; the next queued command shows the gap.
    ASSERT_EQ(qx_execution_concurrent_poll(e.h, &id), QX_STATUS_OK);
    EXPECT_GE(id, accepted.back() + 101u);  // at least 100 refusals after the last accepted
    Received last = next_report(e.h);
    EXPECT_EQ(last.report.command_id, id);
    EXPECT_EQ(last.report.kind, 4u);
}

TEST(ConcurrentExports, CapacitiesFromTheRecordOrDefaults) {
    // Accepted before the queue stays full: the report queue, the worker's command, the
    // command queue.
    const qx_concurrent_engine_config_t small{4, 3, 0};
    {
        Handle e({c_route()}, &small);
        uint64_t id;
        ASSERT_EQ(qx_execution_concurrent_poll(e.h, &id), QX_STATUS_OK);
        EXPECT_EQ(fill_until_full(e.h, "a-").size() + 1, 3u + 1u + 4u);
    }
    const qx_concurrent_engine_config_t zeros{0, 0, 0};
    for (const qx_concurrent_engine_config_t* config :
         std::initializer_list<const qx_concurrent_engine_config_t*>{&zeros, nullptr}) {
        Handle e({c_route()}, config);
        EXPECT_EQ(fill_until_full(e.h, "b-").size(), 1024u + 1u + 1024u);
    }
    // event_capacity 1: a submit's two events overflow the worker's buffer (status 5), and the
    // report keeps the event produced before the failure.
    const qx_concurrent_engine_config_t one_event{0, 0, 1};
    Handle e({c_route()}, &one_event);
    const qx_order_request_t order = c_order("o-1");
    ASSERT_EQ(qx_execution_concurrent_submit_order(e.h, &order, nullptr), QX_STATUS_OK);
    Received r = next_report(e.h);
    EXPECT_EQ(r.status, QX_STATUS_OK);
    EXPECT_EQ(r.report.status, static_cast<uint32_t>(QX_STATUS_CAPACITY));
    EXPECT_EQ(r.report.event_count, 1u);
    EXPECT_EQ(r.events.at(0).kind, 1u);
}

TEST(ConcurrentExports, ReportsFollowQueueOrderWithOutcomes) {
    Handle e({c_route(), c_route("halted", 1)});
    struct Expect {
        uint32_t kind, status, events;
    };
    std::vector<uint64_t> ids;
    std::vector<Expect> want;
    uint64_t id = 0;
    const auto queued = [&](qx_status_t st, Expect w) {
        ASSERT_EQ(st, QX_STATUS_OK);
        ids.push_back(id);
        want.push_back(w);
    };
    const qx_order_request_t o1 = c_order("o-1");
    const qx_order_request_t halted = c_order("o-2", "halted");
    const qx_order_request_t unknown = c_order("o-3", "nowhere");
    const qx_amend_request_t amend = {"o-1b", "o-1",  nullptr, "acct", "r1",
                                      "CME",  "ESZ6", 5,       4600,   0};
    const qx_cancel_request_t cancel = {"c-1", "o-1", nullptr, "acct", "r1", "CME", "ESZ6", 0};
    const qx_cancel_request_t cancel_unknown = {"c-2", "zz",  nullptr, "acct",
                                                "r1",  "CME", "ESZ6",  0};
    queued(qx_execution_concurrent_submit_order(e.h, &o1, &id), {1, 0, 2});
    queued(qx_execution_concurrent_submit_order(e.h, &halted, &id), {1, 7, 1});  // kill switch
    queued(qx_execution_concurrent_submit_order(e.h, &unknown, &id), {1, 2, 0});
    queued(qx_execution_concurrent_poll(e.h, &id), {4, 0, 0});
    // The simulated venue's outcomes: an amend without PendingReplace and a cancel of a
    // filled order are invalid transitions.
    queued(qx_execution_concurrent_amend_order(e.h, &amend, &id), {3, 1, 0});
    queued(qx_execution_concurrent_cancel_order(e.h, &cancel, &id), {2, 1, 0});
    queued(qx_execution_concurrent_cancel_order(e.h, &cancel_unknown, &id), {2, 2, 0});
    queued(qx_execution_concurrent_submit_order(e.h, &o1, &id), {1, 7, 1});  // duplicate id
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(ids[i], i + 1);
        Received r = next_report(e.h);
        ASSERT_EQ(r.status, QX_STATUS_OK) << i;
        EXPECT_EQ(r.report.command_id, ids[i]);
        EXPECT_EQ(r.report.kind, want[i].kind) << i;
        EXPECT_EQ(r.report.status, want[i].status) << i;
        EXPECT_EQ(r.report.event_count, want[i].events) << i;
        ASSERT_EQ(r.events.size(), want[i].events) << i;
        if (i == 0) {
            EXPECT_EQ(r.events[0].kind, 1u);
            EXPECT_EQ(std::string(r.events[0].venue_order_id), "SIM-1");
            EXPECT_EQ(r.events[1].kind, 3u);
            EXPECT_EQ(std::string(r.events[1].execution_id), "SIMX-1");
            EXPECT_EQ(r.events[1].last_price, 4500);
        }
        if (i == 1) {
            EXPECT_EQ(r.events[0].kind, 2u);
            EXPECT_EQ(r.events[0].status, 9u);
            EXPECT_EQ(r.events[0].reject_reason, 1u);
        }
    }
    qx_execution_command_report_t report;
    uint32_t count = 0;
    EXPECT_EQ(qx_execution_concurrent_try_recv_report(e.h, &report, nullptr, &count),
              QX_STATUS_CAPACITY);
}

TEST(ConcurrentExports, EventsThatDoNotFitAreLostWithTheReport) {
    Handle e;
    const qx_order_request_t o1 = c_order("o-1");
    const qx_order_request_t o2 = c_order("o-2");
    uint64_t id1 = 0, id2 = 0;
    ASSERT_EQ(qx_execution_concurrent_submit_order(e.h, &o1, &id1), QX_STATUS_OK);
    ASSERT_EQ(qx_execution_concurrent_submit_order(e.h, &o2, &id2), QX_STATUS_OK);
    ASSERT_EQ(qx_execution_concurrent_poll(e.h, nullptr), QX_STATUS_OK);

    Received small = next_report(e.h, 1);
    EXPECT_EQ(small.status, QX_STATUS_CAPACITY);
    EXPECT_EQ(small.report.command_id, id1);
    EXPECT_EQ(small.report.event_count, 2u);
    EXPECT_EQ(small.report.status, 0u);
    // A NULL array: same outcome for the next report.
    qx_execution_command_report_t report;
    uint32_t count = 4;
    qx_status_t st;
    while ((st = qx_execution_concurrent_try_recv_report(e.h, &report, nullptr, &count)) ==
               QX_STATUS_CAPACITY &&
           count == 4) {
        std::this_thread::yield();
    }
    EXPECT_EQ(st, QX_STATUS_CAPACITY);
    EXPECT_EQ(report.command_id, id2);
    EXPECT_EQ(count, 2u);
    // A report without events needs no array.
    Received poll = next_report(e.h, 0);
    EXPECT_EQ(poll.status, QX_STATUS_OK);
    EXPECT_EQ(poll.report.kind, 4u);
    EXPECT_EQ(poll.report.event_count, 0u);
}

TEST(ConcurrentExports, StopEndsTheWorkerAfterEarlierCommands) {
    Handle e;
    const qx_order_request_t o1 = c_order("o-1");
    uint64_t submit_id = 0, stop_id = 0;
    ASSERT_EQ(qx_execution_concurrent_submit_order(e.h, &o1, &submit_id), QX_STATUS_OK);
    ASSERT_EQ(qx_execution_concurrent_stop(e.h, &stop_id), QX_STATUS_OK);
    EXPECT_EQ(stop_id, submit_id + 1);
    // Queued behind the stop (0) or refused once it ran (2): never executed either way.
    const qx_order_request_t late = c_order("late");
    const qx_status_t late_status = qx_execution_concurrent_submit_order(e.h, &late, nullptr);
    EXPECT_TRUE(late_status == QX_STATUS_OK || late_status == QX_STATUS_REFUSED);

    Received first = next_report(e.h);
    EXPECT_EQ(first.report.command_id, submit_id);
    EXPECT_EQ(first.report.event_count, 2u);
    Received stop = next_report(e.h);
    ASSERT_EQ(stop.status, QX_STATUS_OK);
    EXPECT_EQ(stop.report.command_id, stop_id);
    EXPECT_EQ(stop.report.kind, 6u);
    EXPECT_EQ(stop.report.status, 0u);
    EXPECT_EQ(stop.report.event_count, 0u);
    // The stop's report was the last: the worker is gone for every entry point.
    qx_execution_command_report_t report;
    uint32_t count = 0;
    EXPECT_EQ(qx_execution_concurrent_try_recv_report(e.h, &report, nullptr, &count),
              QX_STATUS_REFUSED);
    EXPECT_EQ(qx_execution_concurrent_submit_order(e.h, &late, nullptr), QX_STATUS_REFUSED);
    EXPECT_EQ(qx_execution_concurrent_poll(e.h, nullptr), QX_STATUS_REFUSED);
    EXPECT_EQ(qx_execution_concurrent_stop(e.h, nullptr), QX_STATUS_REFUSED);
}

TEST(ConcurrentExports, StopWaitsForRoomInTheCommandQueue) {
    // Both queues full: stop waits until reports are taken on another thread and the worker
    // frees room in the command queue.
    const qx_concurrent_engine_config_t config{2, 2, 0};
    Handle e({c_route()}, &config);
    ASSERT_EQ(fill_until_full(e.h, "f-").size(), 5u);
    std::vector<Received> taken;
    std::thread drain([&] {
        std::this_thread::sleep_for(20ms);
        do {
            taken.push_back(next_report(e.h));
        } while (taken.back().status == QX_STATUS_OK && taken.back().report.kind != 6);
    });
    uint64_t stop_id = 0;
    EXPECT_EQ(qx_execution_concurrent_stop(e.h, &stop_id), QX_STATUS_OK);
    drain.join();
    ASSERT_EQ(taken.size(), 6u);  // the five submits, then the stop
    EXPECT_EQ(taken.back().report.command_id, stop_id);
    EXPECT_EQ(taken.back().report.kind, 6u);
}

TEST(ConcurrentExports, DestroyCompletesWithReportsNeverTaken) {
    // Both queues full and the worker waiting for room to report.
    const qx_concurrent_engine_config_t config{2, 2, 0};
    qx_route_config_t route = c_route();
    qx_concurrent_execution_engine_t* h = nullptr;
    ASSERT_EQ(qx_execution_concurrent_engine_create_multi(&route, 1, &config, &h), QX_STATUS_OK);
    EXPECT_EQ(fill_until_full(h, "x-").size(), 5u);
    qx_execution_concurrent_engine_destroy(h);
    // Right after creation, and after a stop.
    ASSERT_EQ(qx_execution_concurrent_engine_create_multi(&route, 1, nullptr, &h), QX_STATUS_OK);
    qx_execution_concurrent_engine_destroy(h);
    ASSERT_EQ(qx_execution_concurrent_engine_create_multi(&route, 1, nullptr, &h), QX_STATUS_OK);
    ASSERT_EQ(qx_execution_concurrent_stop(h, nullptr), QX_STATUS_OK);
    qx_execution_concurrent_engine_destroy(h);
}

TEST(ConcurrentExports, HostThreadsGetDistinctIdsAndEveryReport) {
    Handle e;
    constexpr int kThreads = 4;
    constexpr int kPerThread = 200;
    std::vector<std::vector<uint64_t>> ids(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                const std::string id = "t" + std::to_string(t) + "-" + std::to_string(i);
                const qx_order_request_t order = c_order(id.c_str());
                uint64_t command_id = 0;
                qx_status_t st;
                while ((st = qx_execution_concurrent_submit_order(e.h, &order, &command_id)) ==
                       QX_STATUS_CAPACITY) {
                    std::this_thread::yield();
                }
                ASSERT_EQ(st, QX_STATUS_OK);
                ids[t].push_back(command_id);
            }
        });
    }
    // Reports are taken on this thread meanwhile. Ids are taken before queuing, so across
    // threads the queue order may differ from id order; each thread's own commands stay in
    // order.
    std::vector<uint64_t> reported;
    while (reported.size() < kThreads * kPerThread) {
        Received r = next_report(e.h);
        ASSERT_EQ(r.status, QX_STATUS_OK);
        EXPECT_EQ(r.report.status, 0u);
        EXPECT_EQ(r.report.event_count, 2u);
        reported.push_back(r.report.command_id);
    }
    for (std::thread& t : threads) {
        t.join();
    }
    std::map<uint64_t, int> thread_of;
    for (int t = 0; t < kThreads; ++t) {
        for (uint64_t id : ids[t]) {
            EXPECT_TRUE(thread_of.emplace(id, t).second) << "id " << id << " given twice";
        }
    }
    std::vector<std::vector<uint64_t>> reported_per_thread(kThreads);
    for (uint64_t id : reported) {
        ASSERT_EQ(thread_of.count(id), 1u) << "report for an id never returned: " << id;
        reported_per_thread[thread_of[id]].push_back(id);
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(reported_per_thread[t], ids[t]);  // all reported, in that thread's order
    }
}

TEST(ConcurrentExports, WorkerThreadCarriesItsName) {
    Handle e;
    bool found = false;
    DIR* dir = opendir("/proc/self/task");
    ASSERT_NE(dir, nullptr);
    while (dirent* entry = readdir(dir)) {
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string name;
        if (std::getline(comm, name) && name == "quorix-exec-wkr") {
            found = true;
        }
    }
    closedir(dir);
    EXPECT_TRUE(found);
}

}  // namespace
