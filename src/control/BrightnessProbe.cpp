#include "control/BrightnessProbe.h"

#include <cmath>
#include <cstdint>
#include <dlfcn.h>

namespace lumora {

namespace {

using GetBrightness = int32_t (*)(uint32_t display, float* brightness);

ControlError serviceUnavailable() {
    return ControlError::invalidResponse(QStringLiteral("macOS 亮度服务不可用"));
}

ControlError unreadable() {
    return ControlError::invalidResponse(QStringLiteral("无法读取 MacBook 主屏系统亮度"));
}

} // namespace

std::optional<qint64> brightnessLevel(float raw) {
    const double percent = double(raw) * 100.0;
    if (!std::isfinite(percent))
        return std::nullopt;
    return std::clamp<qint64>(std::llround(std::clamp(percent, -1.0, 101.0)), 0, 100);
}

Result<qint64, Failure> readMainDisplayBrightness(const QString& library, quint32 display) {
    // Opened and closed at every call, but never unmapped: after the first call, opening is a
    // look-up among the loaded libraries instead of a fresh load, which keeps the poll cheap.
    void* handle = dlopen(library.toLocal8Bit().constData(), RTLD_LAZY | RTLD_NODELETE);
    if (!handle)
        return serviceUnavailable();
    const auto getBrightness =
        reinterpret_cast<GetBrightness>(dlsym(handle, "DisplayServicesGetBrightness"));
    if (!getBrightness) {
        dlclose(handle);
        return serviceUnavailable();
    }

    float raw = 0.0f;
    const int32_t status = getBrightness(display, &raw);
    dlclose(handle);
    if (status != 0)
        return unreadable();
    if (const std::optional<qint64> level = brightnessLevel(raw))
        return *level;
    return unreadable();
}

} // namespace lumora
