// The error value of the market-data write-ahead log: a category and a message. The message is
// the whole display text; the category tells callers whether their input, the stored data or the
// operating system failed.
#pragma once

#include <string>
#include <utility>

#include "support/expected.h"

namespace qx::persist {

enum class WalIoErrorKind : unsigned char {
    InvalidInput,  // the caller asked for something the log cannot do
    InvalidData,   // stored files do not hold what the log expects
    Os,            // the operating system refused (message "<text> (os error <n>)")
};

struct WalIoError {
    WalIoErrorKind kind = WalIoErrorKind::Os;
    std::string message;

    static WalIoError invalid_input(std::string m) {
        return {WalIoErrorKind::InvalidInput, std::move(m)};
    }
    static WalIoError invalid_data(std::string m) {
        return {WalIoErrorKind::InvalidData, std::move(m)};
    }
    static WalIoError os(std::string m) { return {WalIoErrorKind::Os, std::move(m)}; }

    friend bool operator==(const WalIoError&, const WalIoError&) = default;
};

template <typename T>
using WalResult = Expected<T, WalIoError>;
using WalStatus = Expected<void, WalIoError>;

}  // namespace qx::persist
