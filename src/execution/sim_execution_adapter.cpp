#include "execution/sim_execution_adapter.h"

#include <charconv>
#include <cstring>

#include "support/saturating.h"

namespace qx::exec {
namespace {

// "<prefix><number>" as an identifier; the longest text, "SIMX-" and 20 digits, fits 48.
template <std::size_t N, std::size_t P>
FixedAscii<N> numbered_id(const char (&prefix)[P], std::uint64_t number) noexcept {
    char text[P + 20];
    std::memcpy(text, prefix, P - 1);
    const auto end = std::to_chars(text + P - 1, text + sizeof text, number).ptr;
    const auto id = FixedAscii<N>::from_text({text, static_cast<std::size_t>(end - text)});
    return id ? *id : FixedAscii<N>{};
}

// The fields every simulated event copies from the request it answers.
template <typename Request>
ExecutionEvent event_for(const Request& request, ExecutionType kind, OrderStatus status) {
    ExecutionEvent e;
    e.kind = kind;
    e.status = status;
    e.client_order_id = request.client_order_id;
    e.account = request.account;
    e.route = request.route;
    e.symbol = request.symbol;
    e.ts_ns = request.ts_ns;
    return e;
}

}  // namespace

Expected<void, ExecutionError> SimExecutionAdapter::connect() {
    connected_ = true;
    connect_count_ = sat_add(connect_count_, std::uint64_t{1});
    return {};
}

Expected<void, ExecutionError> SimExecutionAdapter::submit(const OrderRequest& order,
                                                           ExecutionEventBuffer& events) {
    if (!connected_) {
        return Unexpected(ExecutionError::adapter_disconnected());
    }
    const VenueOrderId venue_order_id = numbered_id<48>("SIM-", next_venue_order_);
    next_venue_order_ = sat_add(next_venue_order_, std::uint64_t{1});
    if (events.full()) {
        return Unexpected(ExecutionError::event_buffer_full());
    }
    ExecutionEvent ack = event_for(order, ExecutionType::New, OrderStatus::New);
    ack.venue_order_id = venue_order_id;
    ack.leaves_qty = order.quantity;
    ack.origin_ts_ns = order.origin_ts_ns;
    if (auto pushed = events.push(ack); !pushed) {
        return pushed;
    }

    const ExecutionId execution_id = numbered_id<48>("SIMX-", next_execution_);
    next_execution_ = sat_add(next_execution_, std::uint64_t{1});
    const std::int64_t fill_qty =
        partial_fills_ && order.quantity >= 2 ? order.quantity >> 1 : order.quantity;
    if (events.full()) {
        return Unexpected(ExecutionError::event_buffer_full());
    }
    ExecutionEvent fill =
        event_for(order, ExecutionType::Trade,
                  fill_qty == order.quantity ? OrderStatus::Filled : OrderStatus::PartiallyFilled);
    fill.venue_order_id = venue_order_id;
    fill.execution_id = execution_id;
    fill.last_qty = fill_qty;
    fill.cum_qty = fill_qty;
    fill.last_price = order.limit_price;  // for every order type
    fill.avg_price = order.limit_price;
    fill.leaves_qty = sat_sub(order.quantity, fill_qty);
    fill.origin_ts_ns = order.origin_ts_ns;
    fill.ts_ns = sat_add(order.ts_ns, std::uint64_t{1});
    return events.push(fill);
}

Expected<void, ExecutionError> SimExecutionAdapter::amend(const AmendRequest& request,
                                                          ExecutionEventBuffer& events) {
    if (!connected_) {
        return Unexpected(ExecutionError::adapter_disconnected());
    }
    ExecutionEvent e = event_for(request, ExecutionType::Replaced, OrderStatus::Replaced);
    e.orig_client_order_id = request.orig_client_order_id;
    e.venue_order_id = request.venue_order_id;
    e.leaves_qty = request.new_quantity;
    e.avg_price = request.new_price;
    return events.push(e);
}

Expected<void, ExecutionError> SimExecutionAdapter::cancel(const CancelRequest& request,
                                                           ExecutionEventBuffer& events) {
    if (!connected_) {
        return Unexpected(ExecutionError::adapter_disconnected());
    }
    ExecutionEvent e = event_for(request, ExecutionType::Canceled, OrderStatus::Canceled);
    e.orig_client_order_id = request.orig_client_order_id;
    e.venue_order_id = request.venue_order_id;
    return events.push(e);
}

Expected<std::size_t, ExecutionError> SimExecutionAdapter::poll(ExecutionEventBuffer& events) {
    std::size_t moved = 0;
    for (const ExecutionEvent& e : pending_.events()) {
        if (!events.push(e)) {
            pending_.clear();
            return Unexpected(ExecutionError::event_buffer_full());
        }
        ++moved;
    }
    pending_.clear();
    return moved;
}

AdapterHealth SimExecutionAdapter::health() const {
    return {"simulated", connected_, false, connect_count_, std::nullopt};
}

}  // namespace qx::exec
