// The brightness library Lumora loads at run time to learn the built-in panel's brightness.

#include "displayservices/Backlight.h"

#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The chosen device's brightness attribute stays open and its maximum is read once: the library
// stays loaded between calls, so a poll is one read of a few bytes instead of a look over every
// device. A device that can no longer be read is chosen again.
int chosenBrightness = -1;
long long chosenMaximum = 0;

bool choose() {
    if (chosenBrightness >= 0)
        ::close(chosenBrightness);
    chosenBrightness = -1;
    const std::optional<std::filesystem::path> device =
        lumora::chooseBacklight("/sys/class/backlight");
    const std::optional<long long> maximum =
        device ? lumora::backlightMaximum(*device) : std::nullopt;
    if (!maximum)
        return false;
    chosenMaximum = *maximum;
    chosenBrightness = ::open((*device / "brightness").c_str(), O_RDONLY | O_CLOEXEC);
    return chosenBrightness >= 0;
}

std::optional<float> readChosen() {
    char text[32];
    const ssize_t count =
        chosenBrightness < 0 ? -1 : ::pread(chosenBrightness, text, sizeof text, 0);
    const std::optional<long long> brightness =
        count > 0 ? lumora::parseBacklightNumber({text, size_t(count)}) : std::nullopt;
    return brightness ? lumora::backlightFraction(*brightness, chosenMaximum) : std::nullopt;
}

} // namespace

// A laptop has one panel backlight, so the display asked about does not change the answer.
extern "C" __attribute__((visibility("default"))) int32_t
DisplayServicesGetBrightness(uint32_t /*display*/, float* brightness) {
    std::optional<float> fraction = readChosen();
    if (!fraction && choose())
        fraction = readChosen();
    if (!fraction)
        return 1;
    *brightness = *fraction;
    return 0;
}
