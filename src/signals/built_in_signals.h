// The descriptors of the seven signal types built into the library, in catalogue order:
// delta momentum, volume imbalance, cumulative delta, absorption, exhaustion, sweep detection
// and the composite. SignalRegistry::with_built_ins pairs them with their factories.
#pragma once

#include <vector>

#include "signals/signal_descriptor.h"

namespace qx {

// Built once, on first use, and never changed; safe to read from any thread.
const std::vector<SignalDescriptor>& built_in_signal_descriptors();

}  // namespace qx
