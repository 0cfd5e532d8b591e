#include "platform/BacklightEvents.h"

#include "displayservices/Backlight.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace lumora {

BacklightEvents::BacklightEvents(int descriptor, QSocketNotifier::Type type, QObject* parent)
    : QObject(parent), m_descriptor(descriptor), m_notifier(descriptor, type) {
    connect(&m_notifier, &QSocketNotifier::activated, this, &BacklightEvents::wake);
    if (!rearm())
        m_notifier.setEnabled(false);
}

BacklightEvents::~BacklightEvents() {
    m_notifier.setEnabled(false);
    ::close(m_descriptor);
}

std::unique_ptr<BacklightEvents>
BacklightEvents::forBacklight(const std::filesystem::path& folder) {
    const std::optional<std::filesystem::path> device = chooseBacklight(folder);
    if (!device)
        return nullptr;
    const std::string attribute = (*device / "actual_brightness").string();
    const int descriptor = ::open(attribute.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct statfs filesystem {};
    if (::fstatfs(descriptor, &filesystem) != 0 || filesystem.f_type != SYSFS_MAGIC) {
        ::close(descriptor);
        return nullptr;
    }
    // The attribute wakes pollers with POLLPRI | POLLERR, which Qt reports as an exception.
    return std::make_unique<BacklightEvents>(descriptor, QSocketNotifier::Exception);
}

void BacklightEvents::wake() {
    if (rearm()) {
        emit changed();
        return;
    }
    m_notifier.setEnabled(false);
    emit stopped();
}

bool BacklightEvents::rearm() {
    // Not every descriptor can seek (an event counter cannot); reading is what re-arms.
    (void)::lseek(m_descriptor, 0, SEEK_SET);
    char buffer[64];
    ssize_t count = ::read(m_descriptor, buffer, sizeof buffer);
    if (count == 0)
        return false; // the other end is gone and will never tell anything again
    if (count < 0)
        return errno == EAGAIN || errno == EINTR;
    while (count == ssize_t(sizeof buffer))
        count = ::read(m_descriptor, buffer, sizeof buffer);
    return true;
}

} // namespace lumora
