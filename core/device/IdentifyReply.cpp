#include "device/IdentifyReply.h"

#include <algorithm>
#include <array>

namespace Device {

namespace {

// An empty field between two separators becomes "-", so that the fields after
// it keep their places when empty fields are skipped. One left-to-right pass
// over non-overlapping pairs: ";;;" becomes ";-;;".
std::string MarkEmptyFields(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ';' && i + 1 < text.size() && text[i + 1] == ';') {
            out += ";-;";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The next non-empty field from `pos` on; false when there is none.
bool NextField(std::string_view text, std::size_t& pos, std::string& field) {
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find(';', pos), text.size());
        const std::string_view candidate = text.substr(pos, end - pos);
        pos = end + 1;
        if (!candidate.empty()) {
            field.assign(candidate);
            return true;
        }
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::uint32_t> ParseHexSignature(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && HexDigit(text[i + 2]) >= 0) {
        i += 2;
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i, ++digits) {
        value = (value << 4) | static_cast<std::uint64_t>(HexDigit(text[i]));
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

SIdentifyOutcome ParseIdentifyReply(std::string_view reply, SIdentity& identity, bool newFormat,
                                    std::uint8_t familyCode) {
    SIdentifyOutcome outcome;
    outcome.NewFormat = newFormat;
    const std::string text = MarkEmptyFields(reply);
    std::array<std::string*, 6> fields = {&identity.DeviceType,   &identity.HardwareRevision,
                                          &identity.SerialNumber, &identity.Signature,
                                          &identity.AppVersion,   &identity.BootloaderVersion};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!NextField(text, pos, *fields[i])) {
            fields[i]->clear();
            // Only the bootloader version may be missing.
            if (i + 1 < fields.size()) return outcome;
        }
    }
    outcome.FieldsRead = true;

    outcome.Signature = ParseHexSignature(identity.Signature);
    if (!outcome.Signature) return outcome;
    if (*outcome.Signature == kNewFormatSignature) outcome.NewFormat = true;

    const std::string& type = identity.DeviceType;
    if (outcome.NewFormat) {
        if (type.size() > 16) outcome.DownloadSupport = type[14] == 'P' && type[15] == 'C';
    } else if (type.size() >= 16) {
        outcome.DownloadSupport = type[14] == 'U';
    }

    outcome.Success = !identity.DeviceType.empty() && !identity.AppVersion.empty() &&
                      !identity.SerialNumber.empty() && !identity.HardwareRevision.empty() &&
                      !identity.Signature.empty() && (*outcome.Signature >> 24) == familyCode;
    return outcome;
}

}  // namespace Device
