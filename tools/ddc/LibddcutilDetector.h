#pragma once

#include "ddc/DisplayDirectory.h"

#include <ddcutil_types.h>

namespace lumora::ddc {

// Detection and DDC through libddcutil. It lives in a plugin of its own (see PluginDetector):
// the library talks on standard output as soon as it is loaded.
class LibddcutilDetector : public DisplayDetector {
public:
    LibddcutilDetector() = default;
    ~LibddcutilDetector() override;

    Result<std::vector<DisplayRecord>, Failure> detect() override;
    Result<std::unique_ptr<DdcDevice>, Failure> open(const DisplayRecord& record) override;

private:
    DDCA_Display_Info_List* m_detected = nullptr;
};

} // namespace lumora::ddc
