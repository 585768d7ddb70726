// Update package heads from arbitrary files.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "device/PackageHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Device::CPackageHeader header;
    std::size_t consumed = 0;
    if (header.Parse(std::span<const std::uint8_t>(data, size), &consumed)) {
        const std::size_t count = header.GetContents().GetCount();
        if (count < 1 || count > Device::CPackageHeader::kMaxEntries) std::abort();
        if (consumed != Device::CPackageHeader::kHeaderSize + count * Device::CPackageHeader::kEntrySize +
                            Device::CPackageHeader::kTrailerSize ||
            consumed > size) {
            std::abort();
        }
        if (header.GetError() != Device::EPackageError::None || header.GetDeviceCode() == 0) std::abort();
    } else if (header.GetError() == Device::EPackageError::None) {
        std::abort();
    }
    return 0;
}
