// The hammer's contents list (its application and bootloader versions), built
// from whatever it answers to the identification.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "FuzzReplyStream.h"
#include "device/Contents.h"
#include "device/DeviceTypes.h"
#include "device/VantrelDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Device::CVantrelDevice hammer;
    if (!hammer.Attach(std::make_unique<FuzzSupport::CReplyStream>(data, size), Device::PortSerial))
        std::abort();
    Device::CContents contents;
    if (hammer.GetContents(contents)) {
        if (contents.GetCount() != 2 || contents[0].Kind != Device::kContentApplication ||
            contents[1].Kind != Device::kContentBootloader) {
            std::abort();
        }
        (void)contents.Find(Device::kContentApplication)->Version.ToString4();
        (void)hammer.GetInfoText();
    }
    return 0;
}
