#pragma once

#include "ddc/DisplayRecord.h"

#include <filesystem>
#include <vector>

namespace lumora::ddc {

// The last detection's monitors, kept per user so that later commands can skip detection.
// One line per monitor: number, bus, serial and EDID in hexadecimal, separated by tabs.
class DisplayCache {
public:
    explicit DisplayCache(std::filesystem::path file);
    // $XDG_CACHE_HOME/lumora/ddc-displays, by default ~/.cache/lumora/ddc-displays.
    static std::filesystem::path defaultFile();

    // Malformed lines are skipped; a missing file is an empty cache.
    std::vector<DisplayRecord> load() const;
    // Best effort: a cache that cannot be written only costs the next command a detection.
    void save(const std::vector<DisplayRecord>& records) const;

private:
    std::filesystem::path m_file;
};

} // namespace lumora::ddc
