#pragma once

#include "ddc/CommandLine.h"
#include "ddc/DisplayDirectory.h"

namespace lumora::ddc {

using Command = Outcome (*)(const std::vector<std::string>& arguments, DisplayDirectory& directory);

// Runs a tool's command against this system's monitors (the per-user cache and bus timing,
// /dev/i2c-*, and libddcutil beside the executable), prints its outcome and returns its exit
// status. `displaySerials` are the monitors' serials as built in (LUMORA_DISPLAY_SERIALS).
int runOnThisSystem(int argc, char* argv[], Command command, const char* displaySerials);

} // namespace lumora::ddc
