#include "runtime/engine/runtime_error.h"

namespace qx {

std::string RuntimeError::to_string() const {
    switch (kind_) {
        case Kind::Adapter:
            return "adapter error: " + message_;
        case Kind::Config:
            return "config error: " + message_;
        case Kind::Io:
            return "io error: " + message_;
        case Kind::NotStarted:
            break;
    }
    return "engine not started";
}

}  // namespace qx
