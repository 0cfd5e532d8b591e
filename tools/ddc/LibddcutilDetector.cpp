#include "ddc/LibddcutilDetector.h"

#include "ddc/QuietOutput.h"

#include <ddcutil_c_api.h>

namespace lumora::ddc {

namespace {

Failure libraryFailure(DDCA_Status status) {
    return communicationFailure(std::string("DDC 通信失败：") + ddca_rc_name(status) + "（" +
                                ddca_rc_desc(status) + "）");
}

// A monitor opened through the library for the length of one command.
class LibddcutilDevice : public DdcDevice {
public:
    explicit LibddcutilDevice(DDCA_Display_Handle handle) : m_handle(handle) {}
    ~LibddcutilDevice() override {
        const QuietOutput quiet;
        ddca_close_display(m_handle);
    }

    Result<VcpValue, Failure> getVcp(uint8_t feature) override {
        DDCA_Non_Table_Vcp_Value value{};
        DDCA_Status status = 0;
        {
            const QuietOutput quiet;
            status = ddca_get_non_table_vcp_value(m_handle, feature, &value);
        }
        if (status != 0)
            return libraryFailure(status);
        return VcpValue{uint16_t(value.sh << 8 | value.sl), uint16_t(value.mh << 8 | value.ml)};
    }

    Result<void, Failure> setVcp(uint8_t feature, uint16_t value, bool verify) override {
        DDCA_Status status = 0;
        {
            const QuietOutput quiet;
            ddca_enable_verify(verify);
            status = ddca_set_non_table_vcp_value(m_handle, feature, uint8_t(value >> 8),
                                                  uint8_t(value & 0xFF));
        }
        if (status != 0)
            return libraryFailure(status);
        return {};
    }

private:
    DDCA_Display_Handle m_handle;
};

} // namespace

LibddcutilDetector::~LibddcutilDetector() {
    if (m_detected)
        ddca_free_display_info_list(m_detected);
}

Result<std::vector<DisplayRecord>, Failure> LibddcutilDetector::detect() {
    {
        const QuietOutput quiet;
        ddca_enable_usb_display_detection(false);
        ddca_get_display_info_list2(false, &m_detected);
    }
    std::vector<DisplayRecord> records;
    for (int i = 0; m_detected && i < m_detected->ct; ++i) {
        const DDCA_Display_Info& info = m_detected->info[i];
        if (info.path.io_mode != DDCA_IO_I2C)
            continue;
        records.push_back({info.dispno, info.path.path.i2c_busno, info.sn,
                           std::vector<uint8_t>(info.edid_bytes, info.edid_bytes + 128)});
    }
    return records;
}

Result<std::unique_ptr<DdcDevice>, Failure> LibddcutilDetector::open(const DisplayRecord& record) {
    for (int i = 0; m_detected && i < m_detected->ct; ++i) {
        if (m_detected->info[i].dispno != record.number)
            continue;
        DDCA_Display_Handle handle = nullptr;
        DDCA_Status status = 0;
        {
            const QuietOutput quiet;
            status = ddca_open_display2(m_detected->info[i].dref, false, &handle);
        }
        if (status != 0)
            return libraryFailure(status);
        return std::unique_ptr<DdcDevice>(std::make_unique<LibddcutilDevice>(handle));
    }
    return Failure{Failure::Kind::NotFound,
                   "找不到编号为 " + std::to_string(record.number) + " 的显示器"};
}

} // namespace lumora::ddc

extern "C" __attribute__((visibility("default"))) lumora::ddc::DisplayDetector*
lumoraCreateDetector() {
    return new lumora::ddc::LibddcutilDetector();
}
