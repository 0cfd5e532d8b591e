#pragma once

#include "ddc/DisplayDirectory.h"

#include <filesystem>

namespace lumora::ddc {

// The libddcutil detector, loaded from its plugin only when a detection is needed: a command
// served from the cache never loads the library. Loading happens with standard output and error
// silenced, and only after a check that there is an I2C device node this user may open.
class PluginDetector : public DisplayDetector {
public:
    // `plugin` is the detector's library; `devices` where the I2C device nodes live.
    PluginDetector(std::filesystem::path plugin, std::filesystem::path devices);
    ~PluginDetector() override;

    // The plugin beside the running executable.
    static std::filesystem::path besideExecutable();

    Result<std::vector<DisplayRecord>, Failure> detect() override;
    Result<std::unique_ptr<DdcDevice>, Failure> open(const DisplayRecord& record) override;

    // Fails when there is no I2C device node, or none this user may read and write.
    static Result<void, Failure> checkI2cAccess(const std::filesystem::path& devices);

private:
    Result<void, Failure> load();

    std::filesystem::path m_plugin;
    std::filesystem::path m_devices;
    void* m_library = nullptr;
    std::unique_ptr<DisplayDetector> m_detector;
};

} // namespace lumora::ddc
