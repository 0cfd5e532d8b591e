#include "ddc/PrivateFolder.h"

#include "ddc/BoundedRead.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora::ddc {

namespace {

std::optional<std::filesystem::path> absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') // relative values are ignored, as the XDG rules say
        return std::nullopt;
    return std::filesystem::path(value);
}

std::optional<std::filesystem::path> home() {
    if (const std::optional<std::filesystem::path> fromEnvironment =
            absoluteFromEnvironment("HOME"))
        return fromEnvironment;
    const passwd* entry = getpwuid(geteuid());
    if (!entry || !entry->pw_dir || entry->pw_dir[0] != '/')
        return std::nullopt;
    return std::filesystem::path(entry->pw_dir);
}

bool ownedFolder(const std::filesystem::path& folder) {
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != geteuid())
        return false;
    return (status.st_mode & 0077) == 0 || chmod(folder.c_str(), 0700) == 0;
}

void makeFolder(const std::filesystem::path& folder) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno == ENOENT &&
        mkdir(folder.parent_path().c_str(), 0700) == 0)
        mkdir(folder.c_str(), 0700);
}

} // namespace

std::optional<PrivateFolder> PrivateFolder::open(const std::filesystem::path& folder) {
    makeFolder(folder);
    if (!ownedFolder(folder))
        return std::nullopt;
    return PrivateFolder(folder);
}

std::optional<std::filesystem::path> PrivateFolder::cacheLocation() {
    if (const std::optional<std::filesystem::path> cache =
            absoluteFromEnvironment("XDG_CACHE_HOME"))
        return *cache / "lumora";
    if (const std::optional<std::filesystem::path> user = home(); user && *user != "/")
        return *user / ".cache" / "lumora";
    return std::nullopt;
}

std::optional<std::filesystem::path> PrivateFolder::runtimeLocation() {
    if (const std::optional<std::filesystem::path> runtime =
            absoluteFromEnvironment("XDG_RUNTIME_DIR"))
        return *runtime / "lumora";
    return cacheLocation();
}

std::optional<std::string> PrivateFolder::read(const std::string& name, size_t limit) const {
    const int descriptor =
        ::open((m_path / name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    struct stat status {};
    std::optional<std::string> text;
    if (fstat(descriptor, &status) == 0 && status.st_uid == geteuid())
        text = readBounded(descriptor, limit);
    ::close(descriptor);
    return text;
}

bool PrivateFolder::write(const std::string& name, const std::string& text) const {
    std::string partial = (m_path / (name + ".XXXXXX")).string();
    const int descriptor = mkostemp(partial.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool written = ::write(descriptor, text.data(), text.size()) == ssize_t(text.size());
    const bool closed = ::close(descriptor) == 0;
    if (written && closed && rename(partial.c_str(), (m_path / name).c_str()) == 0)
        return true;
    unlink(partial.c_str());
    return false;
}

} // namespace lumora::ddc
