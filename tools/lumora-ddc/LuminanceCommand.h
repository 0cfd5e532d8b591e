#pragma once

#include "ddc/CommandLine.h"
#include "ddc/DisplayDirectory.h"

namespace lumora::ddc {

// lumora-ddc display N|--sn SERIAL get|max luminance
// lumora-ddc display N|--sn SERIAL chg luminance D
// lumora-ddc display N|--sn SERIAL set luminance V
// lumora-ddc --noverify display N|--sn SERIAL set luminance V
// lumora-ddc detect [--tabs]
struct LuminanceRequest {
    enum class Action { Get, Max, Change, Set, Detect, DetectTabs };

    Target target;
    Action action = Action::Get;
    long long amount = 0; // the step for Change, the value for Set
    bool verify = true;   // Set only: read the value back after the monitor's pause

    bool operator==(const LuminanceRequest&) const = default;
};

extern const char* const luminanceUsage;
inline constexpr uint8_t luminanceFeature = 0x10;

Result<LuminanceRequest, Failure>
parseLuminanceCommandLine(const std::vector<std::string>& arguments);
Outcome runLuminance(const std::vector<std::string>& arguments, DisplayDirectory& directory);

} // namespace lumora::ddc
