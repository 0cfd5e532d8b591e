#pragma once

#include "ddc/DisplayRecord.h"
#include "ddc/PrivateFolder.h"

#include <chrono>
#include <optional>
#include <vector>

namespace lumora::ddc {

// The last detection's monitors, kept per user so that later commands can skip detection.
// The first line marks the file as ours and holds the detection's time; then one line per
// monitor: Lumora's number (0 for none), bus ("-" when missing at that detection), serial text
// (escaped as SerialField does), the 128-byte EDID in hexadecimal, the luminance maximum ("-"
// while unknown), the time of the last detection that found it present, the product name
// (escaped as the serial) and whether it answered DDC/CI (1 or 0), separated by tabs; last a
// line "end". Times are milliseconds since the epoch. A detection that found no monitor is the
// first and last line alone.
class DisplayCache {
public:
    struct Contents {
        std::vector<DisplayRecord> records;
        std::chrono::system_clock::time_point detected;
    };

    // Without a folder there is no cache: every command detects.
    explicit DisplayCache(std::optional<PrivateFolder> folder);

    // Nothing when there is no cache to read or the file is not whole and sound: another first
    // line, no last line, a line that is no monitor of ours, a time the clock cannot hold, one
    // number twice or two monitors present on one bus. A cache taken in part could cap a monitor
    // by half a maximum.
    std::optional<Contents> load() const;
    // Best effort: a cache that cannot be written only costs the next command a detection.
    void save(const Contents& contents) const;

private:
    std::optional<PrivateFolder> m_folder;
};

} // namespace lumora::ddc
