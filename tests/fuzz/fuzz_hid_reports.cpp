// Reports from a HID device and the uevent text of its sysfs node: whatever
// arrives, the payload handed out lies inside the report, and a refused
// report is refused without reading past its end.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "streamio/HidReport.h"
#include "streamio/UsbBackend.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    for (const auto& report : {StreamIO::DecodeHidControl(bytes), StreamIO::DecodeHidData(bytes)}) {
        if (!report) continue;
        if (report->payload.data() < data && !report->payload.empty()) std::abort();
        if (report->payload.data() + report->payload.size() > data + size) std::abort();
    }
    std::uint16_t vendor = 0;
    StreamIO::HidVendorFromUevent(std::string_view(reinterpret_cast<const char*>(data), size), vendor);
    return 0;
}
