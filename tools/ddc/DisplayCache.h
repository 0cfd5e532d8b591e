#pragma once

#include "ddc/DisplayRecord.h"
#include "ddc/PrivateFolder.h"

#include <chrono>
#include <optional>
#include <vector>

namespace lumora::ddc {

// The last detection's monitors, kept per user so that later commands can skip detection.
// One line per monitor: Lumora's number (0 for none), bus ("-" when missing at that detection),
// serial and EDID in hexadecimal, separated by tabs.
class DisplayCache {
public:
    struct Contents {
        std::vector<DisplayRecord> records;
        std::chrono::system_clock::time_point detected;
    };

    // Without a folder there is no cache: every command detects.
    explicit DisplayCache(std::optional<PrivateFolder> folder);

    // Malformed lines are skipped; nothing when there is no cache to read.
    std::optional<Contents> load() const;
    // Best effort: a cache that cannot be written only costs the next command a detection.
    void save(const std::vector<DisplayRecord>& records) const;

private:
    std::optional<PrivateFolder> m_folder;
};

} // namespace lumora::ddc
