#pragma once
// Error codes of the stream layer.
//
// The codes kept in a stream's LastError and carried by CFileException are the
// numbers of the Windows error table that the file formats, the protocol engine
// and the callers were written against (38 = end of data, 1460 = time-out ...).
// POSIX calls report errno values, which overlap those numbers with other
// meanings (errno 38 is ENOSYS, errno 32 is EPIPE), so every errno is mapped to
// the code of the same meaning before it is stored. An errno without such a code
// keeps its own number inside the application-defined range (bit 29 set), so it
// can never be mistaken for one of the codes below.
#include <cstdint>
#include <string>

namespace StreamIO {

enum : std::int32_t {
    kErrNone = 0,
    kErrNotFound = 2,
    kErrPathNotFound = 3,
    kErrTooManyOpen = 4,
    kErrAccessDenied = 5,
    kErrInvalidHandle = 6,
    kErrUnexpected = 13,   // also: data that is not what the reader expects
    kErrOutOfMemory = 14,  // also: the in-memory disk returned no file
    kErrWriteProtect = 19,
    kErrSeek = 25,  // seek origin other than 1, 2 or 3
    kErrWriteFault = 29,
    kErrReadFault = 30,
    kErrGeneral = 31,  // set while an in-memory file is being opened
    kErrSharing = 32,
    kErrEndOfData = 38,
    kErrNotSupported = 50,
    kErrDeviceMissing = 55,
    kErrExists = 80,
    kErrInvalidParameter = 87,
    kErrBrokenPipe = 109,
    kErrOpenFailed = 110,  // create-or-truncate on an in-memory pipe
    kErrDiskFull = 112,
    kErrBufferTooSmall = 122,  // string too long, or archive buffer smaller than a value
    kErrInvalidName = 123,
    kErrNegativeSeek = 131,
    kErrSeekRefused = 132,
    kErrBusy = 170,
    kErrNameTooLong = 206,
    kErrFileTooLarge = 223,
    kErrIoDevice = 1117,
    kErrTimeout = 1460,
    kErrCannotResolveName = 1921,
};

// Application-defined codes (bit 29, which the Windows table leaves to programs).
inline constexpr std::int32_t kErrApplicationBit = 0x20000000;
// An errno without a counterpart in the table: kErrSystemBase | errno.
inline constexpr std::int32_t kErrSystemBase = kErrApplicationBit;
// The factory met a serial port name but no serial transport is plugged in.
inline constexpr std::int32_t kErrSerialUnavailable = kErrApplicationBit | 0x10001;
// The factory met an "IP:" name; this program never opens IP connections.
inline constexpr std::int32_t kErrIpUnavailable = kErrApplicationBit | 0x10002;

// The stream code for an errno value (never 0 for a non-zero errno).
std::int32_t ErrorFromErrno(int err);

// A readable text for a stream code, in our own words.
std::string DescribeError(std::int32_t code);

}  // namespace StreamIO
