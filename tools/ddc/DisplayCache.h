#pragma once

#include "ddc/DisplayRecord.h"
#include "ddc/PrivateFolder.h"

#include <chrono>
#include <optional>
#include <vector>

namespace lumora::ddc {

// The last detection's monitors, kept per user so that later commands can skip detection.
// The first line marks the file as ours and holds the detection's time; then one line per
// monitor: Lumora's number (0 for none), bus ("-" when missing at that detection), serial, the
// 128-byte EDID in hexadecimal and the luminance maximum ("-" while unknown), separated by tabs.
// A detection that found no monitor is the first line alone.
class DisplayCache {
public:
    struct Contents {
        std::vector<DisplayRecord> records;
        std::chrono::system_clock::time_point detected;
    };

    // Without a folder there is no cache: every command detects.
    explicit DisplayCache(std::optional<PrivateFolder> folder);

    // Malformed monitor lines are skipped; nothing when there is no cache to read or the file
    // does not start with our first line.
    std::optional<Contents> load() const;
    // Best effort: a cache that cannot be written only costs the next command a detection.
    void save(const Contents& contents) const;

private:
    std::optional<PrivateFolder> m_folder;
};

} // namespace lumora::ddc
