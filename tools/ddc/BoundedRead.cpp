#include "ddc/BoundedRead.h"

#include <sys/stat.h>
#include <unistd.h>

namespace lumora::ddc {

std::optional<std::string> readBounded(int descriptor, size_t limit) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        size_t(status.st_size) > limit)
        return std::nullopt;
    std::string text(limit + 1, '\0');
    size_t filled = 0;
    ssize_t count = 0;
    while (filled < text.size() &&
           (count = ::read(descriptor, text.data() + filled, text.size() - filled)) > 0)
        filled += size_t(count);
    if (count < 0 || filled > limit)
        return std::nullopt;
    text.resize(filled);
    return text;
}

} // namespace lumora::ddc
