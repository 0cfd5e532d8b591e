#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumora::ddc {

// How the tools name a monitor to programs (detect --tabs) and take the name back (--sn),
// exactly and reversibly: the EDID serial text with each byte outside printable ASCII, and the
// backslash, written \xHH (lowercase hexadecimal), so a serial of plain printable characters is
// itself. A monitor without serial text is "\edid:" and the hexadecimal of its EDID bytes 8-15
// (maker, product code, binary serial number, as stored); no escaped serial starts so, as a
// backslash there always starts \x.
class SerialField {
public:
    // The field of a monitor with this serial text and EDID base block.
    static std::string of(const std::string& serial, const std::vector<uint8_t>& edid);
    static std::string escape(const std::string& text);
    // Nothing when a backslash starts no \xHH.
    static std::optional<std::string> unescape(const std::string& field);
    // The field `of` gives the monitor that `given` names, which may spell hexadecimal digits
    // in either case; nothing when it is neither an escaped serial nor an EDID token.
    static std::optional<std::string> canonical(const std::string& given);
};

} // namespace lumora::ddc
