// The interface every signal module offers. A module turns the latest AnalyticsSnapshot it was
// given into a SignalSnapshot and can explain that state. Modules are deterministic: the output
// depends only on the last analytics received and on the parameters, so one instance can serve
// many instruments by being handed each instrument's analytics before it is asked.
//
// The *_into forms fill an existing object and reuse its storage; callers that evaluate a
// module on every trade use them to stay free of allocation.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/analytics_snapshot.h"
#include "signals/signal_explanation.h"
#include "signals/signal_snapshot.h"

namespace qx {

class ExplainableSignalModule {
  public:
    virtual ~ExplainableSignalModule() = default;

    // Builds the explanation of the current state into `out`.
    virtual void explain_into(SignalExplanation& out) const = 0;

    SignalExplanation explanation() const {
        SignalExplanation e;
        explain_into(e);
        return e;
    }
};

class SignalModule : public ExplainableSignalModule {
  public:
    // The module identifier, a static text such as "delta_momentum_v1".
    virtual std::string_view module_id() const noexcept = 0;

    // Replaces the stored analytics with a copy of `analytics`.
    virtual void on_analytics(const AnalyticsSnapshot& analytics) noexcept = 0;

    // Computes the snapshot from the stored analytics and the parameters; changes nothing.
    virtual void snapshot_into(SignalSnapshot& out) const = 0;

    SignalSnapshot snapshot() const {
        SignalSnapshot s;
        snapshot_into(s);
        return s;
    }

    // True when an event with these data-quality flags must not carry this module's signal.
    virtual bool quality_gate(std::uint32_t quality_flags) const noexcept = 0;

    // The explanation of the current state; every module of this library has one.
    std::optional<SignalExplanation> latest_explanation() const { return explanation(); }
};

}  // namespace qx
