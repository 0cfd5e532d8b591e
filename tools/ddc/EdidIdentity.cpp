#include "ddc/EdidIdentity.h"

#include "ddc/DdcPacket.h"

#include <algorithm>
#include <optional>

namespace lumora::ddc {

namespace {

using Span = EdidIdentity::Span;

constexpr size_t blockSize = 128;
// Maker, product code, binary serial number, week and year of manufacture.
constexpr Span productIdentity{8, 10};
constexpr size_t firstDescriptor = 54, descriptorSize = 18, descriptorCount = 4;
constexpr uint8_t serialTextTag = 0xFF;

// Where the block keeps its serial text, if it has one.
std::optional<Span> serialDescriptor(const std::vector<uint8_t>& edid) {
    for (size_t i = 0; i < descriptorCount; ++i) {
        const size_t at = firstDescriptor + i * descriptorSize;
        if (edid[at] == 0 && edid[at + 1] == 0 && edid[at + 3] == serialTextTag)
            return Span{at, descriptorSize};
    }
    return std::nullopt;
}

bool equalIn(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
             const std::vector<Span>& spans) {
    return a.size() == blockSize && b.size() == blockSize &&
           std::all_of(spans.begin(), spans.end(), [&](const Span& span) {
               return std::equal(a.begin() + long(span.offset),
                                 a.begin() + long(span.offset + span.size),
                                 b.begin() + long(span.offset));
           });
}

} // namespace

// EDID gives a unit its identity in bytes 8-17 (maker, product code, binary serial number, date
// of manufacture) and in the descriptor holding the serial text. Reading only those can never
// confuse two monitors the cache knows: when another remembered monitor shares all of them, or
// when the block has no serial text, the whole block is read and compared, as a detection does.
// Another unit that matches on all of them carries its maker's word that it is this one.
std::vector<Span> EdidIdentity::spansToRead(const DisplayRecord& remembered,
                                            const std::vector<DisplayRecord>& known) {
    const std::vector<Span> whole = {{0, blockSize}};
    if (remembered.edid.size() != blockSize)
        return whole;
    const std::optional<Span> serial = serialDescriptor(remembered.edid);
    if (!serial)
        return whole;
    const std::vector<Span> identity = {productIdentity, *serial};
    const bool shared = std::any_of(known.begin(), known.end(), [&](const DisplayRecord& other) {
        return other.edid != remembered.edid && equalIn(other.edid, remembered.edid, identity);
    });
    return shared ? whole : identity;
}

bool EdidIdentity::sameMonitor(I2cBus& bus, const DisplayRecord& remembered,
                               const std::vector<DisplayRecord>& known) {
    for (const Span& span : spansToRead(remembered, known)) {
        if (!bus.write(packet::edidAddress, {uint8_t(span.offset)}).ok())
            return false;
        const Result<std::vector<uint8_t>, Failure> bytes =
            bus.read(packet::edidAddress, span.size);
        if (!bytes.ok() || bytes.value().size() != span.size ||
            remembered.edid.size() != blockSize ||
            !std::equal(bytes.value().begin(), bytes.value().end(),
                        remembered.edid.begin() + long(span.offset)))
            return false;
    }
    return true;
}

} // namespace lumora::ddc
