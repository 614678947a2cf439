// The error of the rolling JSON-lines store: an operating-system I/O failure and its text.
#pragma once

#include <string>

namespace qx::persist {

struct PersistError {
    std::string message;

    friend bool operator==(const PersistError&, const PersistError&) = default;
};

}  // namespace qx::persist
