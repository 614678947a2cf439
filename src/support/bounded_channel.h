// A bounded first-in-first-out channel between threads, with one sending side and one
// receiving side (either side may be used from several threads; a mutex orders them).
//
// The storage of every slot is reserved in full when the channel is made, and values are
// constructed in it only when sent, so sending never allocates. Reserving more than
// kMaxStorageBytes, or more than the system will give, makes creation fail instead of ending
// the process.
//
// Closing a side (or destroying its endpoint) disconnects the channel: once the sender is
// closed the receiver drains what is left, then sees Disconnected; once the receiver is closed
// every queued value is dropped and sends fail with Disconnected. Waiting calls wake up when
// the other side closes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <utility>

#include "support/expected.h"

namespace qx {

enum class ChannelSendError : std::uint8_t { Full, Disconnected };
enum class ChannelRecvError : std::uint8_t { Empty, Disconnected };

template <typename T>
class BoundedChannel {
  public:
    // The most slot storage one channel reserves.
    static constexpr std::size_t kMaxStorageBytes = std::size_t{1} << 30;

    // A channel of `capacity` slots, or nullptr when capacity is 0 or its storage cannot be
    // reserved.
    static std::shared_ptr<BoundedChannel> create(std::size_t capacity) noexcept {
        if (capacity == 0 || capacity > kMaxStorageBytes / sizeof(T)) {
            return nullptr;
        }
        void* storage =
            ::operator new (capacity * sizeof(T), std::align_val_t{alignof(T)}, std::nothrow);
        if (storage == nullptr) {
            return nullptr;
        }
        try {
            return std::shared_ptr<BoundedChannel>(
                new BoundedChannel(static_cast<T*>(storage), capacity));
        } catch (...) {
            ::operator delete (storage, std::align_val_t{alignof(T)});
            return nullptr;
        }
    }

    BoundedChannel(const BoundedChannel&) = delete;
    BoundedChannel& operator=(const BoundedChannel&) = delete;

    ~BoundedChannel() {
        drop_all();
        ::operator delete (slots_, std::align_val_t{alignof(T)});
    }

    std::size_t capacity() const noexcept { return capacity_; }

    // Queues `value` without waiting: Full or Disconnected leave `value` untouched.
    Expected<void, ChannelSendError> try_send(T& value) {
        std::unique_lock lock(mutex_);
        if (!receiver_open_) {
            return Unexpected(ChannelSendError::Disconnected);
        }
        if (size_ == capacity_) {
            return Unexpected(ChannelSendError::Full);
        }
        push_and_notify(lock, value, false);
        return {};
    }

    // Queues `value`, waiting while the channel is full; Disconnected when the receiver is or
    // becomes closed. With `close_after`, the sender is closed together with the push, so the
    // receiver sees Disconnected right after taking this value.
    Expected<void, ChannelSendError> send(T& value, bool close_after = false) {
        std::unique_lock lock(mutex_);
        ++waiting_senders_;
        not_full_.wait(lock, [&] { return !receiver_open_ || size_ < capacity_; });
        --waiting_senders_;
        if (!receiver_open_) {
            return Unexpected(ChannelSendError::Disconnected);
        }
        push_and_notify(lock, value, close_after);
        return {};
    }

    // Takes the oldest value without waiting: Empty, or Disconnected when the channel is empty
    // and the sender closed.
    Expected<T, ChannelRecvError> try_recv() {
        std::unique_lock lock(mutex_);
        if (size_ == 0) {
            return Unexpected(sender_open_ ? ChannelRecvError::Empty
                                           : ChannelRecvError::Disconnected);
        }
        return pop_and_notify(lock);
    }

    // Takes the oldest value, waiting while the channel is empty; Disconnected once it is
    // empty and the sender closed.
    Expected<T, ChannelRecvError> recv() {
        std::unique_lock lock(mutex_);
        ++waiting_receivers_;
        not_empty_.wait(lock, [&] { return size_ > 0 || !sender_open_; });
        --waiting_receivers_;
        if (size_ == 0) {
            return Unexpected(ChannelRecvError::Disconnected);
        }
        return pop_and_notify(lock);
    }

    void close_sender() noexcept {
        {
            std::lock_guard lock(mutex_);
            sender_open_ = false;
        }
        not_empty_.notify_all();
    }

    // Closes the receiving side and drops every queued value.
    void close_receiver() noexcept {
        {
            std::lock_guard lock(mutex_);
            receiver_open_ = false;
            drop_all();
        }
        not_full_.notify_all();
    }

  private:
    BoundedChannel(T* slots, std::size_t capacity) noexcept : slots_(slots), capacity_(capacity) {}

    // The mutex is held on entry and released before waking a waiting receiver.
    void push_and_notify(std::unique_lock<std::mutex>& lock, T& value, bool close_after) {
        std::size_t tail = head_ + size_;
        if (tail >= capacity_) {
            tail -= capacity_;
        }
        ::new (static_cast<void*>(slots_ + tail)) T(std::move(value));
        ++size_;
        if (close_after) {
            sender_open_ = false;
        }
        const bool wake = waiting_receivers_ > 0;
        lock.unlock();
        if (wake) {
            not_empty_.notify_one();
        }
    }

    T pop_and_notify(std::unique_lock<std::mutex>& lock) {
        T* slot = slots_ + head_;
        T value(std::move(*slot));
        slot->~T();
        head_ = head_ + 1 == capacity_ ? 0 : head_ + 1;
        --size_;
        const bool wake = waiting_senders_ > 0;
        lock.unlock();
        if (wake) {
            not_full_.notify_one();
        }
        return value;
    }

    void drop_all() noexcept {
        while (size_ > 0) {
            slots_[head_].~T();
            head_ = head_ + 1 == capacity_ ? 0 : head_ + 1;
            --size_;
        }
    }

    std::mutex mutex_;
    std::condition_variable not_empty_;
    std::condition_variable not_full_;
    T* slots_;
    std::size_t capacity_;
    std::size_t head_ = 0;
    std::size_t size_ = 0;
    std::size_t waiting_senders_ = 0;
    std::size_t waiting_receivers_ = 0;
    bool sender_open_ = true;
    bool receiver_open_ = true;
};

// The sending endpoint: closes the sending side when destroyed.
template <typename T>
class ChannelSender {
  public:
    explicit ChannelSender(std::shared_ptr<BoundedChannel<T>> channel) noexcept
        : channel_(std::move(channel)) {}
    ChannelSender(ChannelSender&&) noexcept = default;
    ChannelSender& operator=(ChannelSender&& other) noexcept {
        close();
        channel_ = std::move(other.channel_);
        return *this;
    }
    ~ChannelSender() { close(); }

    Expected<void, ChannelSendError> try_send(T& value) {
        if (!channel_) {
            return Unexpected(ChannelSendError::Disconnected);
        }
        return channel_->try_send(value);
    }
    Expected<void, ChannelSendError> send(T& value) {
        if (!channel_) {
            return Unexpected(ChannelSendError::Disconnected);
        }
        return channel_->send(value);
    }
    // Sends `value` (waiting while full) as the last value, closing this side with it.
    Expected<void, ChannelSendError> send_last(T& value) {
        if (!channel_) {
            return Unexpected(ChannelSendError::Disconnected);
        }
        auto sent = channel_->send(value, true);
        channel_.reset();
        return sent;
    }
    void close() noexcept {
        if (channel_) {
            channel_->close_sender();
            channel_.reset();
        }
    }

  private:
    std::shared_ptr<BoundedChannel<T>> channel_;
};

// The receiving endpoint: closes the receiving side when destroyed.
template <typename T>
class ChannelReceiver {
  public:
    explicit ChannelReceiver(std::shared_ptr<BoundedChannel<T>> channel) noexcept
        : channel_(std::move(channel)) {}
    ChannelReceiver(ChannelReceiver&&) noexcept = default;
    ChannelReceiver& operator=(ChannelReceiver&& other) noexcept {
        close();
        channel_ = std::move(other.channel_);
        return *this;
    }
    ~ChannelReceiver() { close(); }

    Expected<T, ChannelRecvError> try_recv() {
        if (!channel_) {
            return Unexpected(ChannelRecvError::Disconnected);
        }
        return channel_->try_recv();
    }
    Expected<T, ChannelRecvError> recv() {
        if (!channel_) {
            return Unexpected(ChannelRecvError::Disconnected);
        }
        return channel_->recv();
    }
    void close() noexcept {
        if (channel_) {
            channel_->close_receiver();
            channel_.reset();
        }
    }

  private:
    std::shared_ptr<BoundedChannel<T>> channel_;
};

template <typename T>
struct ChannelEnds {
    ChannelSender<T> sender;
    ChannelReceiver<T> receiver;
};

// Both endpoints of a new channel of `capacity` slots; nullopt when it cannot be made.
template <typename T>
std::optional<ChannelEnds<T>> make_bounded_channel(std::size_t capacity) noexcept {
    auto channel = BoundedChannel<T>::create(capacity);
    if (!channel) {
        return std::nullopt;
    }
    return ChannelEnds<T>{ChannelSender<T>(channel), ChannelReceiver<T>(channel)};
}

}  // namespace qx
