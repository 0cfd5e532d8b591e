#pragma once

#include "ddc/CommandLine.h"
#include "ddc/DisplayDirectory.h"

namespace lumora::ddc {

// panelctl setvcp [--noverify] --sn SERIAL FEATURE VALUE
struct SetVcpRequest {
    std::string serial;
    uint8_t feature = 0;
    uint16_t value = 0;
    bool verify = true;

    bool operator==(const SetVcpRequest&) const = default;
};

extern const char* const panelctlUsage;

Result<SetVcpRequest, Failure> parsePanelctlCommandLine(const std::vector<std::string>& arguments);
Outcome runPanelctl(const std::vector<std::string>& arguments, DisplayDirectory& directory);

} // namespace lumora::ddc
