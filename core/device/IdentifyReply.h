#pragma once
// The hammer's answer to "@ID@": device type, hardware revision, serial number,
// signature, application version and bootloader version, separated by ";".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/Identity.h"

namespace Device {

// The signature of hammers that speak the newer data format.
inline constexpr std::uint32_t kNewFormatSignature = 0x05010000;

struct SIdentifyOutcome {
    bool Success = false;
    // Whether the field list was complete enough to go on to the signature
    // (false: a field before the sixth was missing).
    bool FieldsRead = false;
    std::optional<std::uint32_t> Signature;  // set when the signature text was a number
    bool NewFormat = false;                  // the signature marks the newer format
    // Set or cleared from the device type text; nothing when the text is too
    // short to say.
    std::optional<bool> DownloadSupport;
};

// Applies an "@ID@" answer to `identity`. Fields are stored as they are read, so
// that a list cut short leaves the fields before the gap filled and the ones
// after it as they were. `newFormat` is the device's flag before the call (the
// download-support rule depends on it; a set flag stays set). `familyCode` is the
// value the signature's top byte must carry.
SIdentifyOutcome ParseIdentifyReply(std::string_view reply, SIdentity& identity, bool newFormat,
                                    std::uint8_t familyCode);

// Reads a hexadecimal number of at most 32 bits (an optional "0x", then at
// least one hex digit; anything after the digits is ignored).
std::optional<std::uint32_t> ParseHexSignature(std::string_view text);

}  // namespace Device
