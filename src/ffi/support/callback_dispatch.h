// Delivery of engine results to the host's registered callbacks, synchronously on the calling
// thread. A callback may read the engine through the query functions and call qx_unsubscribe.
#pragma once

#include "ffi/support/engine_handle.h"
#include "runtime/engine/quality_flags.h"

namespace qx::ffi {

// Removes inactive registrations, keeping the order of the others.
void purge_inactive(qx_engine& handle);

// The full dispatch after an ingest or poll: every active registration receives the documents
// of its kind for the current event batch.
void dispatch_callbacks(qx_engine& handle, QualityFlags flags);

// Only health registrations, and only when the health sequence moved since their last call.
void dispatch_health_callbacks(qx_engine& handle, QualityFlags flags);

}  // namespace qx::ffi
