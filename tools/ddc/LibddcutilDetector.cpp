#include "ddc/LibddcutilDetector.h"

#include "ddc/QuietOutput.h"

#include <ddcutil_c_api.h>

namespace lumora::ddc {

Result<std::vector<DisplayRecord>, Failure> LibddcutilDetector::detect() {
    DDCA_Display_Info_List* detected = nullptr;
    {
        const QuietOutput quiet;
        ddca_enable_usb_display_detection(false);
        // Monitors that fail DDC/CI are listed too: a broken monitor keeps its place.
        ddca_get_display_info_list2(true, &detected);
    }
    std::vector<DisplayRecord> records;
    for (int i = 0; detected && i < detected->ct; ++i) {
        const DDCA_Display_Info& info = detected->info[i];
        if (info.path.io_mode != DDCA_IO_I2C)
            continue;
        records.push_back({.number = 0,
                           .bus = info.path.path.i2c_busno,
                           .serial = info.sn,
                           .edid = std::vector<uint8_t>(info.edid_bytes, info.edid_bytes + 128),
                           .name = info.model_name,
                           .ddc = info.dispno > 0,
                           .maximum = std::nullopt});
    }
    if (detected)
        ddca_free_display_info_list(detected);
    return records;
}

} // namespace lumora::ddc

extern "C" __attribute__((visibility("default"))) lumora::ddc::DisplayDetector*
lumoraCreateDetector() {
    return new lumora::ddc::LibddcutilDetector();
}
