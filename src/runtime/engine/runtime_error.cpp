#include "runtime/engine/runtime_error.h"

namespace qx {

std::string RuntimeError::display() const {
    switch (kind) {
        case RuntimeErrorKind::Adapter:
            return "adapter error: " + message;
        case RuntimeErrorKind::Config:
            return "config error: " + message;
        case RuntimeErrorKind::Io:
            return "io error: " + message;
        case RuntimeErrorKind::NotStarted:
            break;
    }
    return "engine not started";
}

}  // namespace qx
