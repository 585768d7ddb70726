#include "device/SerialTransport.h"

#include <memory>

#include "device/PortTable.h"
#include "streamio/Rs232Stream.h"
#include "streamio/StreamFactory.h"

namespace StreamIO {

void RegisterSerialTransport(Settings::CSettingsStore* store) {
    Device::CPortTable::UseStore(store);
    CRs232Stream::SetPortResolver([](unsigned port) { return Device::CPortTable::Current().PathOf(port); });
    SetSerialStreamFactory(
        [](unsigned port, const std::string&, std::uint32_t flags) -> std::unique_ptr<CIoStream> {
            auto stream = std::make_unique<CRs232Stream>();
            // A port opened by name keeps the line settings it has.
            stream->OpenPort(port, flags, nullptr);
            return stream;
        });
}

void UnregisterSerialTransport() {
    SetSerialStreamFactory({});
    CRs232Stream::SetPortResolver({});
    Device::CPortTable::UseStore(nullptr);
}

}  // namespace StreamIO
