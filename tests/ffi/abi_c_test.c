/* Checks the public header from plain C99: record sizes and field offsets for x86-64, and a
 * few calls through the shared library. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "qx/qx.h"

static int failures = 0;

#define CHECK(cond)                                                                  \
    do {                                                                             \
        if (!(cond)) {                                                               \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                              \
        }                                                                            \
    } while (0)

#define CHECK_LAYOUT(type, field, offset) CHECK(offsetof(type, field) == (offset))

static void check_layouts(void) {
    CHECK(sizeof(qx_status_t) == 4);
    CHECK(sizeof(qx_symbol_ref_t) == 24);
    CHECK_LAYOUT(qx_symbol_ref_t, venue, 0);
    CHECK_LAYOUT(qx_symbol_ref_t, symbol, 8);
    CHECK_LAYOUT(qx_symbol_ref_t, depth_levels, 16);
    /* @@QX_ABI_LAYOUTS@@ later record layouts are checked here */
}

static void check_calls(void) {
    const char* info = qx_build_info();
    CHECK(qx_api_version() == 65536u);
    CHECK(qx_execution_api_version() == 65536u);
    CHECK(info != NULL && strcmp(info, "qx_ffi_c/0.5.0") == 0);
    CHECK(qx_build_info() == info);
    qx_string_free(NULL);
    /* @@QX_ABI_CALLS@@ later calls are checked here */
    {
        char* inventory = NULL;
        uint32_t inventory_len = 0;
        CHECK(qx_get_adapter_inventory_json(&inventory, &inventory_len) == QX_STATUS_OK);
        CHECK(inventory != NULL && strlen(inventory) == inventory_len);
        CHECK(inventory != NULL && strncmp(inventory, "{\"schema_version\":1,", 20) == 0);
        qx_string_free(inventory);
        CHECK(qx_get_adapter_inventory_json(NULL, &inventory_len) == QX_STATUS_INVALID_ARGUMENT);
    }
}

int main(void) {
    check_layouts();
    check_calls();
    if (failures != 0) {
        fprintf(stderr, "%d ABI checks failed\n", failures);
        return 1;
    }
    return 0;
}
