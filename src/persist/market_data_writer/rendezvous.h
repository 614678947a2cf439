// A one-shot reply channel without buffering: the sender waits until the receiver has taken the
// value (or has gone away), so a reply is handed over, never left lying in a queue.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace qx::persist {

namespace detail {

template <typename T>
struct RendezvousState {
    std::mutex mutex;
    std::condition_variable cv;
    std::optional<T> slot;
    bool taken = false;
    bool sender_alive = true;
    bool receiver_alive = true;
};

}  // namespace detail

template <typename T>
class RendezvousSender {
  public:
    explicit RendezvousSender(std::shared_ptr<detail::RendezvousState<T>> s)
        : state_(std::move(s)) {}
    RendezvousSender(RendezvousSender&&) noexcept = default;
    RendezvousSender& operator=(RendezvousSender&& o) noexcept {
        if (this != &o) {
            release();
            state_ = std::move(o.state_);
        }
        return *this;
    }
    RendezvousSender(const RendezvousSender&) = delete;
    RendezvousSender& operator=(const RendezvousSender&) = delete;
    ~RendezvousSender() { release(); }

    // Hands `value` over and waits until it is taken. False when the receiver is gone (then the
    // value is dropped). A sender sends at most once.
    bool send(T value) {
        if (!state_) {
            return false;
        }
        std::unique_lock<std::mutex> lock(state_->mutex);
        if (!state_->receiver_alive) {
            return false;
        }
        state_->slot.emplace(std::move(value));
        state_->cv.notify_all();
        state_->cv.wait(lock, [&] { return state_->taken || !state_->receiver_alive; });
        return state_->taken;
    }

  private:
    void release() {
        if (state_) {
            std::lock_guard<std::mutex> lock(state_->mutex);
            state_->sender_alive = false;
            state_->cv.notify_all();
        }
        state_.reset();
    }
    std::shared_ptr<detail::RendezvousState<T>> state_;
};

template <typename T>
class RendezvousReceiver {
  public:
    explicit RendezvousReceiver(std::shared_ptr<detail::RendezvousState<T>> s)
        : state_(std::move(s)) {}
    RendezvousReceiver(RendezvousReceiver&&) noexcept = default;
    RendezvousReceiver(const RendezvousReceiver&) = delete;
    RendezvousReceiver& operator=(const RendezvousReceiver&) = delete;
    RendezvousReceiver& operator=(RendezvousReceiver&&) = delete;
    ~RendezvousReceiver() {
        if (state_) {
            std::lock_guard<std::mutex> lock(state_->mutex);
            state_->receiver_alive = false;
            state_->cv.notify_all();
        }
    }

    // Waits for the value; nullopt when the sender went away without sending.
    std::optional<T> recv() {
        std::unique_lock<std::mutex> lock(state_->mutex);
        state_->cv.wait(lock, [&] { return state_->slot.has_value() || !state_->sender_alive; });
        if (!state_->slot) {
            return std::nullopt;
        }
        std::optional<T> out = std::move(state_->slot);
        state_->slot.reset();
        state_->taken = true;
        state_->cv.notify_all();
        return out;
    }

  private:
    std::shared_ptr<detail::RendezvousState<T>> state_;
};

template <typename T>
std::pair<RendezvousSender<T>, RendezvousReceiver<T>> make_rendezvous() {
    auto s = std::make_shared<detail::RendezvousState<T>>();
    return {RendezvousSender<T>(s), RendezvousReceiver<T>(s)};
}

}  // namespace qx::persist
