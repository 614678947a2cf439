// The bounded channel between threads: order, capacity, disconnection from either side, and
// the storage limit.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/bounded_channel.h"

namespace {

using namespace std::chrono_literals;
using qx::BoundedChannel;
using qx::ChannelRecvError;
using qx::ChannelSendError;
using qx::make_bounded_channel;

TEST(BoundedChannel, FifoWithinCapacityAndWrapsAround) {
    auto ends = make_bounded_channel<std::string>(3);
    ASSERT_TRUE(ends);
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 3; ++i) {
            std::string v = std::to_string(round) + ":" + std::to_string(i);
            ASSERT_TRUE(ends->sender.try_send(v));
        }
        std::string extra = "extra";
        auto full = ends->sender.try_send(extra);
        ASSERT_FALSE(full);
        EXPECT_EQ(full.error(), ChannelSendError::Full);
        EXPECT_EQ(extra, "extra");  // a refused value is left with the caller
        for (int i = 0; i < 3; ++i) {
            auto got = ends->receiver.try_recv();
            ASSERT_TRUE(got);
            EXPECT_EQ(*got, std::to_string(round) + ":" + std::to_string(i));
        }
        EXPECT_EQ(ends->receiver.try_recv().error(), ChannelRecvError::Empty);
    }
}

TEST(BoundedChannel, SenderCloseDrainsThenDisconnects) {
    auto ends = make_bounded_channel<int>(4);
    ASSERT_TRUE(ends);
    int one = 1, two = 2;
    ASSERT_TRUE(ends->sender.try_send(one));
    ASSERT_TRUE(ends->sender.send_last(two));
    EXPECT_EQ(*ends->receiver.try_recv(), 1);
    EXPECT_EQ(*ends->receiver.recv(), 2);
    EXPECT_EQ(ends->receiver.try_recv().error(), ChannelRecvError::Disconnected);
    EXPECT_EQ(ends->receiver.recv().error(), ChannelRecvError::Disconnected);
    int three = 3;
    EXPECT_EQ(ends->sender.try_send(three).error(), ChannelSendError::Disconnected);
}

TEST(BoundedChannel, ReceiverCloseDropsValuesAndWakesAWaitingSender) {
    auto tracked = std::make_shared<int>(7);
    auto ends = make_bounded_channel<std::shared_ptr<int>>(1);
    ASSERT_TRUE(ends);
    auto copy = tracked;
    ASSERT_TRUE(ends->sender.try_send(copy));
    EXPECT_EQ(tracked.use_count(), 2);
    std::thread waiter([&] {
        auto more = tracked;
        EXPECT_EQ(ends->sender.send(more).error(), ChannelSendError::Disconnected);
    });
    std::this_thread::sleep_for(20ms);  // let the sender wait on the full channel
    ends->receiver.close();
    waiter.join();
    EXPECT_EQ(tracked.use_count(), 1);  // the queued value was destroyed
}

TEST(BoundedChannel, WaitingReceiverWakesOnSenderClose) {
    auto ends = make_bounded_channel<int>(1);
    ASSERT_TRUE(ends);
    std::thread waiter(
        [&] { EXPECT_EQ(ends->receiver.recv().error(), ChannelRecvError::Disconnected); });
    std::this_thread::sleep_for(20ms);
    ends->sender.close();
    waiter.join();
}

TEST(BoundedChannel, StorageBeyondTheLimitIsRefused) {
    EXPECT_EQ(BoundedChannel<int>::create(0), nullptr);
    EXPECT_EQ(BoundedChannel<char>::create(BoundedChannel<char>::kMaxStorageBytes + 1), nullptr);
    EXPECT_EQ(BoundedChannel<std::string>::create(std::size_t{1} << 62), nullptr);
    auto at_limit = BoundedChannel<char>::create(BoundedChannel<char>::kMaxStorageBytes);
    EXPECT_NE(at_limit, nullptr);  // reserved, never touched
}

TEST(BoundedChannel, ProducersAndAConsumerUnderContention) {
    auto ends = make_bounded_channel<std::pair<int, int>>(8);
    ASSERT_TRUE(ends);
    constexpr int kProducers = 3;
    constexpr int kEach = 2000;
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < kEach; ++i) {
                std::pair<int, int> v{p, i};
                ASSERT_TRUE(ends->sender.send(v));
            }
        });
    }
    std::vector<int> next(kProducers, 0);
    for (int n = 0; n < kProducers * kEach; ++n) {
        auto got = ends->receiver.recv();
        ASSERT_TRUE(got);
        EXPECT_EQ(got->second, next[got->first]++);  // each producer's values in order
    }
    for (auto& t : producers) {
        t.join();
    }
    EXPECT_EQ(ends->receiver.try_recv().error(), ChannelRecvError::Empty);
}

}  // namespace
