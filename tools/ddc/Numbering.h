#pragma once

#include "ddc/DisplayRecord.h"
#include "ddc/Failure.h"

#include <string>
#include <vector>

namespace lumora::ddc {

// Lumora's display numbers: 1 is the built-in panel, 2 and 3 the monitors whose EDID serials are
// configured first and second. With the placeholder serials, 2 and 3 are the first and second
// monitor with an EDID in the order of their buses, and a number stays with the monitor (its
// EDID) that first had it, present or not, so a missing monitor never hands its number on.
class Numbering {
public:
    // Two serials separated by ';', as LUMORA_DISPLAY_SERIALS holds them.
    explicit Numbering(const std::string& configuredSerials);

    // The monitor behind a number; fails for the built-in panel and for numbers Lumora never uses.
    Result<Target, Failure> target(int number) const;
    // Numbers the monitors detected now: `remembered` are those the cache numbered before. The
    // result is sorted by bus, monitors missing now that keep a number last.
    std::vector<DisplayRecord> assign(std::vector<DisplayRecord> detected,
                                      const std::vector<DisplayRecord>& remembered) const;

private:
    void assignBySerial(std::vector<DisplayRecord>& detected) const;
    std::vector<DisplayRecord> assignByOrder(std::vector<DisplayRecord> detected,
                                             const std::vector<DisplayRecord>& remembered) const;

    std::vector<std::string> m_serials; // none: by order; an empty one was a repeated serial
};

inline constexpr char placeholderSerials[] = "0000000000001;0000000000002";
inline constexpr int firstExternalNumber = 2;
inline constexpr int lastExternalNumber = 3;

} // namespace lumora::ddc
