// A brightness library that always answers half brightness and does nothing else, so that an
// idle tick is measured without a test fake's file I/O.

#include <cstdint>

extern "C" __attribute__((visibility("default"))) int32_t
DisplayServicesGetBrightness(uint32_t /*display*/, float* brightness) {
    *brightness = 0.5f;
    return 0;
}
