#include "streamio/StreamFactory.h"

#include <cctype>
#include <mutex>
#include <utility>

#include "streamio/FileException.h"
#include "streamio/FileStream.h"
#include "streamio/IoStream.h"
#include "streamio/IpStream.h"
#include "streamio/RamDisk.h"
#include "streamio/RamStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/UsbHostProbe.h"
#include "streamio/UsbHostProbeManager.h"
#include "streamio/UsbHostStream.h"

namespace StreamIO {

namespace {

std::mutex g_SerialLock;
SerialStreamFactory g_Serial;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

void SetSerialStreamFactory(SerialStreamFactory factory) {
    std::lock_guard lock(g_SerialLock);
    g_Serial = std::move(factory);
}

unsigned SerialPortFromName(std::string_view name) {
    // "COM" + one to three digits + ":" and nothing else.
    if (name.size() < 5 || name.size() > 7 || !StartsWithNoCase(name, "COM") || name.back() != ':') return 0;
    unsigned port = 0;
    for (char c : name.substr(3, name.size() - 4)) {
        if (c < '0' || c > '9') return 0;
        port = port * 10 + static_cast<unsigned>(c - '0');
    }
    return port >= 1 && port <= 256 ? port : 0;
}

std::unique_ptr<CIoStream> CreateStream(const std::string& name, std::uint32_t flags) {
    if (const unsigned port = SerialPortFromName(name); port != 0) {
        SerialStreamFactory serial;
        {
            std::lock_guard lock(g_SerialLock);
            serial = g_Serial;
        }
        if (!serial) throw CFileException(kErrSerialUnavailable, name);
        std::unique_ptr<CIoStream> stream = serial(port, name, flags);
        if (!stream) throw CFileException(kErrSerialUnavailable, name);
        if (!stream->IsOpen()) {
            const std::int32_t code = stream->GetLastError();
            throw CFileException(code != kErrNone ? code : kErrSerialUnavailable, name);
        }
        return stream;
    }

    std::unique_ptr<CIoStream> stream;
    if (CRamDisk::HasPrefix(name)) {
        stream = std::make_unique<CRamStream>();
    } else if (IsIpName(name)) {
        stream = std::make_unique<CIpStream>();
    } else if (IsUsbHostName(name)) {
        stream = std::make_unique<CUsbHostStream>();
    } else if (IsUsbProbeName(name)) {
        stream = std::make_unique<CUsbHostProbeControl>();
    } else {
        stream = std::make_unique<CFileStream>();
    }
    // Open raises its own failures; a false return without one is the only other
    // way it can end, and it must not pass for success.
    if (!stream->Open(name, flags)) {
        const std::int32_t code = stream->GetLastError();
        throw CFileException(code != kErrNone ? code : kErrUnexpected, name);
    }
    return stream;
}

}  // namespace StreamIO
