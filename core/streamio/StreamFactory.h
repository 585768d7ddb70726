#pragma once
// Streams by name:
//   "COM" + 1 to 3 digits + ":" with a port from 1 to 256 (any letter case)
//                             -> the serial transport (plugged in, see below)
//   a name beginning "IP:"    -> the IP transport (TCP, or UDP with kOpenUdp)
//   a name beginning "RAM:"   -> a file of the in-memory disk
//   a name beginning "USB:"   -> a bulk-pipe USB device (UsbHostStream.h)
//   a name beginning "HID:"   -> the control channel of a HID device (UsbHostProbe.h)
//   anything else             -> a file of the file system
// The stream comes back open; every failure raises a CFileException.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace StreamIO {

class CIoStream;

// Builds and opens a serial stream for port `port` (1..256); `name` is the name
// given to CreateStream ("COM3:"), `flags` its open flags. Returns the open stream
// or raises.
using SerialStreamFactory =
    std::function<std::unique_ptr<CIoStream>(unsigned port, const std::string& name, std::uint32_t flags)>;

// The serial transport registers itself here; an empty function unplugs it. Until
// one is set, serial names fail with kErrSerialUnavailable.
void SetSerialStreamFactory(SerialStreamFactory factory);

// The port number of a serial name, or 0 when the name is not one.
unsigned SerialPortFromName(std::string_view name);

std::unique_ptr<CIoStream> CreateStream(const std::string& name, std::uint32_t flags);

}  // namespace StreamIO
