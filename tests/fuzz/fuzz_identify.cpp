// The "@ID@" answer parser over arbitrary text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "device/IdentifyReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the flag the device had before the call.
    const bool newFormatBefore = (data[0] & 1) != 0;
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);
    Device::SIdentity identity{"t", "a", "s", "h", "g", "b"};
    const auto outcome = Device::ParseIdentifyReply(reply, identity, newFormatBefore, 5);
    if (outcome.Success) {
        if (!outcome.FieldsRead || !outcome.Signature || (*outcome.Signature >> 24) != 5) std::abort();
        if (identity.DeviceType.empty() || identity.AppVersion.empty() || identity.SerialNumber.empty() ||
            identity.HardwareRevision.empty() || identity.Signature.empty()) {
            std::abort();
        }
    }
    if (newFormatBefore && !outcome.NewFormat) std::abort();  // the flag never goes back
    (void)Device::ParseHexSignature(reply);
    return 0;
}
