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
    // Mapped only for the length of the call: a library kept mapped between calls would take the
    // application down when its file is overwritten in place, as some install steps do.
    void* handle = dlopen(library.toLocal8Bit().constData(), RTLD_LAZY);
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
