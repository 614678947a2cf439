// The writer's channels: order, fullness, waking, disconnection in both directions, and the
// rendezvous reply.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "persist/market_data_writer/bounded_channel.h"
#include "persist/market_data_writer/rendezvous.h"

namespace qx::persist {
namespace {

TEST(BoundedChannel, KeepsEachSendersOrderAcrossThreads) {
    constexpr int kSenders = 3;
    constexpr int kPerSender = 20000;
    auto [tx, rx] = make_bounded_channel<std::pair<int, int>>(7);
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([s, tx = tx]() mutable {
            for (int i = 0; i < kPerSender; ++i) {
                std::pair<int, int> v{s, i};
                if (i % 2 == 0) {
                    ASSERT_EQ(tx.send(v), ChannelSendResult::Sent);
                } else {
                    while (tx.try_send(v) == ChannelSendResult::Full) {
                        std::this_thread::yield();
                    }
                }
            }
        });
    }
    tx.reset();
    std::vector<int> next(kSenders, 0);
    int received = 0;
    while (std::optional<std::pair<int, int>> v = rx.recv(4)) {
        ASSERT_EQ(v->second, next[v->first]) << "sender " << v->first;
        ++next[v->first];
        ++received;
    }
    for (std::thread& t : senders) {
        t.join();
    }
    EXPECT_EQ(received, kSenders * kPerSender) << "recv ends only after every item";
}

TEST(BoundedChannel, FullChannelReturnsTheValueAndBlockingSendWaits) {
    auto [tx, rx] = make_bounded_channel<std::unique_ptr<int>>(1);
    auto one = std::make_unique<int>(1);
    ASSERT_EQ(tx.try_send(one), ChannelSendResult::Sent);
    EXPECT_EQ(one, nullptr);
    auto two = std::make_unique<int>(2);
    ASSERT_EQ(tx.try_send(two), ChannelSendResult::Full);
    ASSERT_NE(two, nullptr) << "a refused value stays with the sender";

    std::atomic<bool> sent{false};
    std::thread blocked([&, tx = tx]() mutable {
        ASSERT_EQ(tx.send(two), ChannelSendResult::Sent);
        sent = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(sent.load());
    EXPECT_EQ(**rx.try_recv(), 1);
    EXPECT_EQ(**rx.recv(), 2);
    blocked.join();
    EXPECT_TRUE(sent.load());
    EXPECT_FALSE(rx.try_recv());
}

TEST(BoundedChannel, ReceiverLeavingDisconnectsAndDropsQueuedItems) {
    auto [tx, rx] = make_bounded_channel<std::shared_ptr<int>>(2);
    auto item = std::make_shared<int>(5);
    std::shared_ptr<int> copy = item;
    ASSERT_EQ(tx.try_send(copy), ChannelSendResult::Sent);
    ASSERT_EQ(tx.try_send(copy = item), ChannelSendResult::Sent);
    EXPECT_EQ(item.use_count(), 3);

    // A sender blocked on the full channel is released by the receiver's departure.
    std::thread blocked([&, tx = tx]() mutable {
        std::shared_ptr<int> v = item;
        EXPECT_EQ(tx.send(v), ChannelSendResult::Disconnected);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    rx.reset();
    blocked.join();
    EXPECT_EQ(item.use_count(), 1) << "queued items are dropped with the receiver";
    std::shared_ptr<int> late = item;
    EXPECT_EQ(tx.try_send(late), ChannelSendResult::Disconnected);
}

TEST(BoundedChannel, SleepingReceiverWakesForItemsAndForTheLastSender) {
    auto [tx, rx] = make_bounded_channel<int>(4);
    std::thread receiver([rx = std::move(rx)]() mutable {
        EXPECT_EQ(rx.recv(), 1);
        EXPECT_EQ(rx.recv(), 2);
        EXPECT_EQ(rx.recv(), std::nullopt);
    });
    for (int v : {1, 2}) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_EQ(tx.try_send(v), ChannelSendResult::Sent);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    tx.reset();
    receiver.join();
}

TEST(Rendezvous, SenderWaitsForTheReceiverAndSeesItsDeparture) {
    {
        auto [tx, rx] = make_rendezvous<int>();
        std::atomic<bool> returned{false};
        std::thread sender([&, tx = std::move(tx)]() mutable {
            EXPECT_TRUE(tx.send(7));
            returned = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(returned.load()) << "no buffer: the sender waits for the hand-over";
        EXPECT_EQ(rx.recv(), 7);
        sender.join();
        EXPECT_TRUE(returned.load());
    }
    {
        auto [tx, rx] = make_rendezvous<int>();
        std::thread sender([tx = std::move(tx)]() mutable {});
        sender.join();
        EXPECT_EQ(rx.recv(), std::nullopt) << "sender gone without a value";
    }
    {
        auto pair = make_rendezvous<int>();
        RendezvousSender<int> tx = std::move(pair.first);
        std::thread receiver([rx = std::move(pair.second)]() mutable {});
        receiver.join();
        EXPECT_FALSE(tx.send(1)) << "receiver gone";
    }
}

}  // namespace
}  // namespace qx::persist
