#include "execution_core/execution_core_error.h"

namespace qx::exec {

std::string ExecutionCoreError::message() const {
    switch (kind) {
        case Kind::IdentifierTooLong:
            return "identifier length " + std::to_string(length) + " exceeds capacity " +
                   std::to_string(capacity);
        case Kind::NotAscii:
            return "identifier must be ASCII";
        case Kind::QuantityNotPositive:
            return "quantity must be positive";
        case Kind::PriceNotPositive:
            return "price must be positive";
        case Kind::InvalidTransition:
            break;
    }
    return "invalid order state transition";
}

}  // namespace qx::exec
