#pragma once
// Why a serial port could not be opened, in words a user can act on: the device
// is missing, it belongs to a group the user is not in, another program holds
// it, or the path is no serial device at all.
#include <cstdint>
#include <string>

namespace StreamIO {
class CFileException;
}

namespace Device {

enum class EPortProblem {
    Missing,     // no such device (or no entry behind the port number)
    Permission,  // the user may not open it
    InUse,       // another program holds it
    NotSerial,   // a regular file, a FIFO, a folder, a socket, a terminal-less device
    Other,       // anything else the system reports
    Unknown,     // no reason known
};

struct SPortOpenFailure {
    std::string Path;       // the device path tried (may be empty)
    std::int32_t Code = 0;  // the stream code (StreamErrors.h)
    int SystemError = 0;    // the errno behind it; 0 when none
};

// The failure a stream's open raised.
SPortOpenFailure PortOpenFailureOf(const std::string& path, const StreamIO::CFileException& e);

EPortProblem ClassifyPortOpenFailure(const SPortOpenFailure& failure);

// The sentence that follows "could not open port." (empty when no reason is
// known). For a permission problem it names the group that owns the device,
// when members of that group may open it.
std::u16string DescribePortOpenFailure(const SPortOpenFailure& failure);

// "could not open port." (string 20004), then the reason when one is known.
std::u16string CannotOpenPortText(const SPortOpenFailure& failure);

}  // namespace Device
