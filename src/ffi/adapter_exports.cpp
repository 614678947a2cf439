// The adapter inventory export.
#include "adapters/adapter_descriptor.h"
#include "ffi/support/delivery.h"
#include "ffi/support/guard.h"
#include "qx/qx.h"

extern "C" {

QX_API qx_status_t qx_get_adapter_inventory_json(char** out_json, uint32_t* out_len) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (out_json == nullptr || out_len == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return qx::ffi::deliver_string(qx::adapter_inventory_json(), out_json, out_len);
    });
}

}  // extern "C"
