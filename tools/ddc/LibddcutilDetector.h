#pragma once

#include "ddc/DisplayDirectory.h"

namespace lumora::ddc {

// Detection through libddcutil. It lives in a plugin of its own (see PluginDetector): the
// library talks on standard output as soon as it is loaded.
class LibddcutilDetector : public DisplayDetector {
public:
    Result<std::vector<DisplayRecord>, Failure> detect() override;
};

} // namespace lumora::ddc
