#pragma once

#include "ddc/DisplayRecord.h"
#include "ddc/Failure.h"

#include <string>
#include <vector>

namespace lumora::ddc {

// Lumora's display numbers: 1 is the built-in panel, 2 and 3 the monitors whose EDID serials are
// configured first and second. With the placeholder serials, 2 and 3 go to the monitors with an
// EDID in the order of their buses, and a number stays with the monitor (its EDID) that has it
// while it is present, and while it is missing as long as no monitor present needs a number: one
// without takes a free number, else the number of the monitor missing the longest. So a laptop
// carried to another desk drives the monitors in front of it, and a monitor back where its
// number is still free gets it again.
class Numbering {
public:
    // Two serials separated by ';', as LUMORA_DISPLAY_SERIALS holds them.
    explicit Numbering(const std::string& configuredSerials);

    // The monitor behind a number; fails for the built-in panel and for numbers Lumora never uses.
    Result<Target, Failure> target(int number) const;
    // Numbers the monitors detected now: `remembered` are those the cache numbered before, with
    // when each was last present. The result is sorted by bus, monitors missing now that keep a
    // number last.
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
