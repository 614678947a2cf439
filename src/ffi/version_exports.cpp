// Version and build identification, and release of returned strings.
#include <cstdint>
#include <cstdlib>

#include "qx/qx.h"

namespace {
constexpr std::uint32_t kApiVersion = 0x00010000;
constexpr const char kBuildInfo[] = "qx_ffi_c/0.5.0";
}  // namespace

extern "C" {

QX_API uint32_t qx_api_version(void) {
    return kApiVersion;
}

QX_API uint32_t qx_execution_api_version(void) {
    return kApiVersion;
}

QX_API const char* qx_build_info(void) {
    return kBuildInfo;
}

QX_API void qx_string_free(char* s) {
    std::free(s);
}

}  // extern "C"
