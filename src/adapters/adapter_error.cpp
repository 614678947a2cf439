#include "adapters/adapter_error.h"

namespace qx {

std::string AdapterError::display() const {
    switch (kind) {
        case AdapterErrorKind::Disconnected:
            return "adapter disconnected";
        case AdapterErrorKind::Misconfigured:
            return "adapter misconfigured: " + message;
        case AdapterErrorKind::FeatureDisabled:
            return "adapter feature disabled: " + message;
        case AdapterErrorKind::Other:
            break;
    }
    return "adapter error: " + message;
}

}  // namespace qx
