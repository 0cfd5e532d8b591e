#include "ddc/Numbering.h"

#include <algorithm>
#include <sstream>

namespace lumora::ddc {

namespace {

bool numberTaken(const std::vector<DisplayRecord>& records, int number) {
    return std::any_of(records.begin(), records.end(),
                       [&](const DisplayRecord& r) { return r.number == number; });
}

// Each detected monitor the cache numbered keeps its number; the numbered monitors missing now
// are returned, marked absent, still holding theirs.
std::vector<DisplayRecord> keepRememberedNumbers(std::vector<DisplayRecord>& detected,
                                                 const std::vector<DisplayRecord>& remembered) {
    std::vector<DisplayRecord> absent;
    for (const DisplayRecord& held : remembered) {
        if (held.number < firstExternalNumber || held.number > lastExternalNumber ||
            numberTaken(detected, held.number) || numberTaken(absent, held.number))
            continue;
        const auto same = std::find_if(detected.begin(), detected.end(), [&](const auto& r) {
            return r.number == 0 && r.edid == held.edid;
        });
        if (same != detected.end()) {
            same->number = held.number;
        } else {
            absent.push_back(held);
            absent.back().bus = -1;
        }
    }
    return absent;
}

// A free number, else the one of the absent monitor seen longest ago, which gives it up; 0 when
// every number is held by a monitor present.
int numberToGive(const std::vector<DisplayRecord>& detected, std::vector<DisplayRecord>& absent) {
    for (int number = firstExternalNumber; number <= lastExternalNumber; ++number) {
        if (!numberTaken(detected, number) && !numberTaken(absent, number))
            return number;
    }
    const auto longest = std::min_element(
        absent.begin(), absent.end(), [](const auto& a, const auto& b) { return a.seen < b.seen; });
    if (longest == absent.end())
        return 0;
    const int number = longest->number;
    absent.erase(longest);
    return number;
}

} // namespace

Numbering::Numbering(const std::string& configuredSerials) {
    if (configuredSerials == placeholderSerials)
        return;
    std::stringstream list(configuredSerials);
    for (std::string serial; std::getline(list, serial, ';');) {
        if (serial.empty())
            continue;
        // A serial given twice would make two numbers drive one monitor: the second is refused.
        const bool repeated =
            std::find(m_serials.begin(), m_serials.end(), serial) != m_serials.end();
        m_serials.push_back(repeated ? std::string() : serial);
    }
}

Result<Target, Failure> Numbering::target(int number) const {
    if (number == 1)
        return Failure{Failure::Kind::NotFound,
                       "编号 1 是内置显示屏，它不支持 DDC/CI（亮度由 /sys/class/backlight 调节）"};
    if (number < firstExternalNumber || number > lastExternalNumber)
        return Failure{Failure::Kind::NotFound,
                       "没有编号为 " + std::to_string(number) +
                           " 的显示器：1 是内置显示屏，2 和 3 是外接显示器"};
    const size_t index = size_t(number - firstExternalNumber);
    if (m_serials.empty())
        return Target{.number = number, .serial = {}};
    if (index >= m_serials.size())
        return Failure{Failure::Kind::NotFound,
                       "编号为 " + std::to_string(number) +
                           " 的显示器没有配置序列号（LUMORA_DISPLAY_SERIALS）"};
    if (m_serials[index].empty())
        return Failure{Failure::Kind::NotFound,
                       "编号为 " + std::to_string(number) +
                           " 的显示器的序列号与前一台重复（LUMORA_DISPLAY_SERIALS）"};
    return Target{.number = number, .serial = SerialField::escape(m_serials[index])};
}

std::vector<DisplayRecord> Numbering::assign(std::vector<DisplayRecord> detected,
                                             const std::vector<DisplayRecord>& remembered) const {
    std::sort(detected.begin(), detected.end(),
              [](const DisplayRecord& a, const DisplayRecord& b) { return a.bus < b.bus; });
    for (DisplayRecord& record : detected)
        record.number = 0;
    if (m_serials.empty())
        return assignByOrder(std::move(detected), remembered);
    assignBySerial(detected);
    return detected;
}

void Numbering::assignBySerial(std::vector<DisplayRecord>& detected) const {
    for (size_t i = 0;
         i < m_serials.size() && i <= size_t(lastExternalNumber - firstExternalNumber); ++i) {
        const auto found = std::find_if(detected.begin(), detected.end(), [&](const auto& r) {
            return r.number == 0 && !m_serials[i].empty() && r.serial == m_serials[i];
        });
        if (found != detected.end())
            found->number = firstExternalNumber + int(i);
    }
}

std::vector<DisplayRecord>
Numbering::assignByOrder(std::vector<DisplayRecord> detected,
                         const std::vector<DisplayRecord>& remembered) const {
    std::vector<DisplayRecord> absent = keepRememberedNumbers(detected, remembered);
    for (DisplayRecord& record : detected) {
        if (record.number == 0)
            record.number = numberToGive(detected, absent);
    }
    detected.insert(detected.end(), absent.begin(), absent.end());
    return detected;
}

} // namespace lumora::ddc
