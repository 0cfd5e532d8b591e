#pragma once

#include "ddc/BusLock.h"
#include "ddc/BusTiming.h"
#include "ddc/DisplayDirectory.h"

#include <filesystem>
#include <vector>

namespace lumora::ddc {

// The libddcutil detector, loaded from its plugin only when a detection is needed: a command
// served from the cache never loads the library. Loading happens with standard output and error
// silenced, and only after a check that there is an I2C device node this user may open. The
// detection talks DDC/CI on every bus and libddcutil 1.4 locks none: it runs with every bus
// locked and after every bus's pause.
class PluginDetector : public DisplayDetector {
public:
    // `plugin` is the detector's library; `devices` where the I2C device nodes live.
    PluginDetector(std::filesystem::path plugin, std::filesystem::path devices,
                   const BusTiming& timing);
    ~PluginDetector() override;

    // The plugin beside the running executable.
    static std::filesystem::path besideExecutable();

    Result<std::vector<DisplayRecord>, Failure> detect() override;

    // Fails when there is no I2C device node, or none this user may read and write.
    static Result<void, Failure> checkI2cAccess(const std::filesystem::path& devices);

private:
    Result<void, Failure> load();
    // The detection's locks; the buses that cannot be opened are left to the library.
    std::vector<BusLock> lockBuses() const;

    std::filesystem::path m_plugin;
    std::filesystem::path m_devices;
    const BusTiming& m_timing;
    void* m_library = nullptr;
    std::unique_ptr<DisplayDetector> m_detector;
};

} // namespace lumora::ddc
