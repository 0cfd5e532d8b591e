// The brightness library Lumora loads at run time to learn the built-in panel's brightness.

#include "displayservices/Backlight.h"

#include <cstdint>

// A laptop has one panel backlight, so the display asked about does not change the answer.
extern "C" __attribute__((visibility("default"))) int32_t
DisplayServicesGetBrightness(uint32_t /*display*/, float* brightness) {
    const std::optional<float> fraction = lumora::readBacklight("/sys/class/backlight");
    if (!fraction)
        return 1;
    *brightness = *fraction;
    return 0;
}
