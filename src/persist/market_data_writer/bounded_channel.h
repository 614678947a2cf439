// A bounded multi-producer, single-consumer channel that keeps order. Sending without blocking
// never waits for the consumer: a slot is claimed with one compare-and-swap and published with
// one store, so a full channel or a departed consumer is reported at once. Blocking send and
// blocking receive sleep on a condition variable only when they must wait.
//
// The channel is disconnected for the receiver when every sender is released (after the items
// already sent are received), and for senders when the receiver is released.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <utility>

namespace qx::persist {

enum class ChannelSendResult : std::uint8_t { Sent, Full, Disconnected };

namespace detail {

template <typename T>
class ChannelCore {
  public:
    explicit ChannelCore(std::size_t capacity) : capacity_(capacity), cells_(new Cell[capacity]) {}

    ~ChannelCore() {
        while (std::optional<T> v = try_pop()) {
        }
    }

    ChannelCore(const ChannelCore&) = delete;
    ChannelCore& operator=(const ChannelCore&) = delete;

    // Moves `value` in only when it is sent; otherwise `value` is left as it was.
    ChannelSendResult try_push(T& value) {
        if (!receiver_alive_.load()) {
            return ChannelSendResult::Disconnected;
        }
        std::uint64_t pos = enqueue_pos_.load(std::memory_order_relaxed);
        Cell* cell;
        std::uint64_t turn;
        for (;;) {
            cell = &cell_for(pos, turn);
            const std::uint64_t seq = cell->seq.load(std::memory_order_acquire);
            if (seq == 2 * turn) {
                if (enqueue_pos_.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
                    break;
                }
            } else if (seq < 2 * turn) {
                return ChannelSendResult::Full;  // still holds the item of the previous lap
            } else {
                pos = enqueue_pos_.load(std::memory_order_relaxed);
            }
        }
        ::new (static_cast<void*>(cell->storage)) T(std::move(value));
        // Sequentially consistent with the consumer's "sleeping" flag: either the consumer
        // sees this item before it sleeps, or this thread sees it asleep and wakes it.
        cell->seq.store(2 * turn + 1);
        if (consumer_sleeping_.load()) {
            std::lock_guard<std::mutex> lock(mutex_);
            not_empty_.notify_one();
        }
        if (!receiver_alive_.load()) {
            // The receiver left while this item went in: nobody will take it, so drop it now
            // (a reply channel inside is then closed instead of waited on forever).
            drop_abandoned_items();
        }
        return ChannelSendResult::Sent;
    }

    ChannelSendResult push_blocking(T& value) {
        for (;;) {
            const ChannelSendResult r = try_push(value);
            if (r != ChannelSendResult::Full) {
                return r;
            }
            // Announce the wait, then look again: either the consumer sees the announcement
            // after freeing a slot and wakes this thread, or this thread sees the free slot.
            // try_push itself is not called under the mutex, because it may take the mutex to
            // wake a sleeping consumer.
            std::unique_lock<std::mutex> lock(mutex_);
            senders_waiting_.fetch_add(1);
            if (receiver_alive_.load() && next_slot_taken()) {
                not_full_.wait(lock);
            }
            senders_waiting_.fetch_sub(1);
        }
    }

    // Single consumer only.
    std::optional<T> try_pop() {
        std::uint64_t turn;
        Cell* cell = &cell_for(dequeue_pos_, turn);
        if (cell->seq.load() != 2 * turn + 1) {
            return std::nullopt;
        }
        T* item = std::launder(reinterpret_cast<T*>(cell->storage));
        std::optional<T> out(std::move(*item));
        item->~T();
        cell->seq.store(2 * turn + 2);
        ++dequeue_pos_;
        if (senders_waiting_.load() > 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            not_full_.notify_all();
        }
        return out;
    }

    // Single consumer only. Polls `spins` times before sleeping; nullopt once disconnected and
    // drained.
    std::optional<T> pop_blocking(unsigned spins) {
        for (unsigned i = 0;; ++i) {
            if (std::optional<T> v = try_pop()) {
                return v;
            }
            if (senders_.load() == 0) {
                return try_pop();
            }
            if (i < spins) {
                std::this_thread::yield();
                continue;
            }
            std::unique_lock<std::mutex> lock(mutex_);
            consumer_sleeping_.store(true);
            if (!has_item() && senders_.load() != 0) {
                not_empty_.wait(lock);
            }
            consumer_sleeping_.store(false);
        }
    }

    void add_sender() noexcept { senders_.fetch_add(1); }

    void release_sender() {
        if (senders_.fetch_sub(1) == 1) {
            std::lock_guard<std::mutex> lock(mutex_);
            not_empty_.notify_all();
        }
    }

    // Items still queued are dropped; senders see the channel disconnected from now on.
    void release_receiver() {
        receiver_alive_.store(false);
        drop_abandoned_items();
        std::lock_guard<std::mutex> lock(mutex_);
        not_full_.notify_all();
    }

    std::size_t capacity() const noexcept { return capacity_; }

  private:
    // Position p of the stream uses cell p % capacity on lap p / capacity. A cell's counter
    // is 2 * lap while it waits for lap's item and 2 * lap + 1 while it holds it, so every
    // capacity, 1 included, tells a full cell from an empty one.
    struct Cell {
        std::atomic<std::uint64_t> seq{0};
        alignas(T) unsigned char storage[sizeof(T)];
    };

    Cell& cell_for(std::uint64_t pos, std::uint64_t& turn) const noexcept {
        turn = pos / capacity_;
        return cells_[pos - turn * capacity_];
    }

    bool has_item() const noexcept {
        std::uint64_t turn;
        const Cell& cell = cell_for(dequeue_pos_, turn);
        return cell.seq.load() == 2 * turn + 1;
    }

    // After the receiver left, whoever gets here consumes and drops what is queued; the mutex
    // keeps that single-consumer.
    void drop_abandoned_items() {
        std::lock_guard<std::mutex> lock(drop_mutex_);
        while (std::optional<T> v = try_pop()) {
        }
    }

    // True while the slot the next sender would claim still holds an item.
    bool next_slot_taken() const noexcept {
        std::uint64_t turn;
        const Cell& cell = cell_for(enqueue_pos_.load(), turn);
        return cell.seq.load() < 2 * turn;
    }

    const std::size_t capacity_;
    std::unique_ptr<Cell[]> cells_;
    alignas(64) std::atomic<std::uint64_t> enqueue_pos_{0};
    alignas(64) std::uint64_t dequeue_pos_ = 0;
    // Read by every send, written only when the consumer sleeps, wakes or leaves.
    alignas(64) std::atomic<bool> consumer_sleeping_{false};
    std::atomic<bool> receiver_alive_{true};
    std::atomic<std::uint32_t> senders_waiting_{0};
    alignas(64) std::atomic<std::size_t> senders_{0};
    std::mutex mutex_;
    std::mutex drop_mutex_;
    std::condition_variable not_empty_;
    std::condition_variable not_full_;
};

}  // namespace detail

template <typename T>
class ChannelSender;
template <typename T>
class ChannelReceiver;

template <typename T>
std::pair<ChannelSender<T>, ChannelReceiver<T>> make_bounded_channel(std::size_t capacity);

// A sending side; copies share the channel.
template <typename T>
class ChannelSender {
  public:
    ChannelSender() = default;
    ChannelSender(const ChannelSender& o) : core_(o.core_) {
        if (core_) {
            core_->add_sender();
        }
    }
    ChannelSender(ChannelSender&& o) noexcept : core_(std::move(o.core_)) {}
    ChannelSender& operator=(ChannelSender o) noexcept {
        std::swap(core_, o.core_);
        return *this;
    }
    ~ChannelSender() { reset(); }

    // Never waits. `value` is moved from only when the result is Sent.
    ChannelSendResult try_send(T& value) {
        return core_ ? core_->try_push(value) : ChannelSendResult::Disconnected;
    }
    // Waits while the channel is full. `value` is moved from only when the result is Sent.
    ChannelSendResult send(T& value) {
        return core_ ? core_->push_blocking(value) : ChannelSendResult::Disconnected;
    }
    void reset() {
        if (core_) {
            core_->release_sender();
            core_.reset();
        }
    }
    explicit operator bool() const noexcept { return core_ != nullptr; }

  private:
    friend std::pair<ChannelSender<T>, ChannelReceiver<T>> make_bounded_channel<T>(std::size_t);
    explicit ChannelSender(std::shared_ptr<detail::ChannelCore<T>> core) : core_(std::move(core)) {
        core_->add_sender();
    }
    std::shared_ptr<detail::ChannelCore<T>> core_;
};

// The one receiving side.
template <typename T>
class ChannelReceiver {
  public:
    ChannelReceiver() = default;
    ChannelReceiver(ChannelReceiver&& o) noexcept : core_(std::move(o.core_)) {}
    ChannelReceiver& operator=(ChannelReceiver&& o) noexcept {
        if (this != &o) {
            reset();
            core_ = std::move(o.core_);
        }
        return *this;
    }
    ChannelReceiver(const ChannelReceiver&) = delete;
    ChannelReceiver& operator=(const ChannelReceiver&) = delete;
    ~ChannelReceiver() { reset(); }

    std::optional<T> try_recv() { return core_ ? core_->try_pop() : std::nullopt; }
    // Waits for the next item; nullopt once every sender is released and the channel is empty.
    std::optional<T> recv(unsigned spins = 0) {
        return core_ ? core_->pop_blocking(spins) : std::nullopt;
    }
    void reset() {
        if (core_) {
            core_->release_receiver();
            core_.reset();
        }
    }

  private:
    friend std::pair<ChannelSender<T>, ChannelReceiver<T>> make_bounded_channel<T>(std::size_t);
    explicit ChannelReceiver(std::shared_ptr<detail::ChannelCore<T>> core)
        : core_(std::move(core)) {}
    std::shared_ptr<detail::ChannelCore<T>> core_;
};

// Capacity must be at least 1. Throws std::bad_alloc when the slots cannot be allocated.
template <typename T>
std::pair<ChannelSender<T>, ChannelReceiver<T>> make_bounded_channel(std::size_t capacity) {
    auto core = std::make_shared<detail::ChannelCore<T>>(capacity);
    return {ChannelSender<T>(core), ChannelReceiver<T>(core)};
}

}  // namespace qx::persist
