#include "control/BrightnessProbe.h"

#include <QFile>
#include <cmath>
#include <cstdint>
#include <dlfcn.h>

namespace lumora {

namespace {

using GetBrightness = int32_t (*)(uint32_t display, float* brightness);

ControlError serviceUnavailable() {
    return ControlError::invalidResponse(QStringLiteral("macOS 亮度服务不可用"));
}

ControlError unreadable(const Wording& wording) {
    return ControlError::invalidResponse(wording.withBuiltin(QStringLiteral("无法读取")) +
                                         QStringLiteral("系统亮度"));
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

BrightnessProbe::BrightnessProbe(QString library, Wording wording)
    : m_library(std::move(library)), m_wording(std::move(wording)),
      m_libraryPath(QFile::encodeName(m_library)) {}

std::optional<qint64> brightnessLevel(float raw) {
    const double percent = double(raw) * 100.0;
    if (!std::isfinite(percent))
        return std::nullopt;
    return std::clamp<qint64>(std::llround(std::clamp(percent, -1.0, 101.0)), 0, 100);
}

Result<qint64, Failure> BrightnessProbe::read(quint32 display) {
    // Never unmapped: each copy has a name of its own, so opening it again is a look-up among
    // the loaded libraries.
    void* handle = dlopen(loadablePath().constData(), RTLD_LAZY | RTLD_NODELETE);
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
        return unreadable(m_wording);
    if (const std::optional<qint64> level = brightnessLevel(raw))
        return *level;
    return unreadable(m_wording);
}

QByteArray BrightnessProbe::loadablePath() {
    struct stat now {};
    if (::stat(m_libraryPath.constData(), &now) != 0)
        return m_libraryPath;
    if (!m_copied || !sameFile(*m_copied, now)) {
        // A file that changes while it is copied is being written: the copy is made again at
        // the next call, and the last good one serves until then.
        const QString copy = copyLibrary();
        struct stat after {};
        if (!copy.isEmpty() && ::stat(m_libraryPath.constData(), &after) == 0 &&
            sameFile(now, after)) {
            m_copy = QFile::encodeName(copy);
            m_copied = now;
        } else if (!copy.isEmpty()) {
            QFile::remove(copy);
        }
    }
    return m_copy.isEmpty() ? m_libraryPath : m_copy;
}

QString BrightnessProbe::copyLibrary() {
    if (!m_copies.isValid())
        return {};
    // A new name for every copy: the loader knows a loaded library by its name.
    const QString copy = m_copies.filePath(QStringLiteral("%1.so").arg(++m_generation));
    return QFile::copy(m_library, copy) ? copy : QString();
}

} // namespace lumora
