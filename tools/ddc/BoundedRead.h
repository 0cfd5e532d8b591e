#pragma once

#include <optional>
#include <string>

namespace lumora::ddc {

// The rest of an open regular file, when it is at most `limit` bytes; nothing otherwise. Reads one
// byte past the limit, so a file that grows while it is read is refused too. Sysfs attributes
// report no size: only what is read counts.
std::optional<std::string> readBounded(int descriptor, size_t limit);

} // namespace lumora::ddc
