#include "streamio/StreamErrors.h"

#include <cerrno>
#include <string>

namespace StreamIO {

std::int32_t ErrorFromErrno(int err) {
    switch (err) {
        case 0:
            return kErrNone;
        case ENOENT:
            return kErrNotFound;
        case ENOTDIR:
            return kErrPathNotFound;
        case EMFILE:
        case ENFILE:
            return kErrTooManyOpen;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kErrAccessDenied;
        case EBADF:
            return kErrInvalidHandle;
        case ENOMEM:
            return kErrOutOfMemory;
        case EROFS:
            return kErrWriteProtect;
        case EWOULDBLOCK:  // a refused flock(); same value as EAGAIN on Linux
        case ETXTBSY:
            return kErrSharing;
        case ENOTSUP:
#if EOPNOTSUPP != ENOTSUP
        case EOPNOTSUPP:
#endif
        case ENOTTY:
            return kErrNotSupported;
        case ENXIO:
        case ENODEV:
            return kErrDeviceMissing;
        case EEXIST:
            return kErrExists;
        case EINVAL:
            return kErrInvalidParameter;
        case EPIPE:
            return kErrBrokenPipe;
        case ENOSPC:
        case EDQUOT:
            return kErrDiskFull;
        case EBUSY:
            return kErrBusy;
        case ENAMETOOLONG:
            return kErrNameTooLong;
        case EFBIG:
            return kErrFileTooLarge;
        case EIO:
            return kErrIoDevice;
        case ETIMEDOUT:
            return kErrTimeout;
        case ELOOP:
            return kErrCannotResolveName;
        default:
            return kErrSystemBase | (err & 0xFFFF);
    }
}

std::string DescribeError(std::int32_t code) {
    switch (code) {
        case kErrNone:
            return "no error";
        case kErrNotFound:
            return "not found";
        case kErrPathNotFound:
            return "folder not found";
        case kErrTooManyOpen:
            return "too many open streams";
        case kErrAccessDenied:
            return "access denied";
        case kErrInvalidHandle:
            return "no such stream, or the stream is not open";
        case kErrUnexpected:
            return "unexpected error or invalid data";
        case kErrOutOfMemory:
            return "out of memory, or the in-memory disk is not available";
        case kErrWriteProtect:
            return "the medium is write-protected";
        case kErrSeek:
            return "invalid seek origin";
        case kErrWriteFault:
            return "cannot write (not open for writing, or a short write)";
        case kErrReadFault:
            return "cannot read (not open for reading)";
        case kErrGeneral:
            return "general failure";
        case kErrSharing:
            return "in use by another stream (sharing conflict)";
        case kErrEndOfData:
            return "end of data reached";
        case kErrNotSupported:
            return "operation not supported";
        case kErrDeviceMissing:
            return "device not present";
        case kErrExists:
            return "already exists";
        case kErrInvalidParameter:
            return "invalid parameter";
        case kErrBrokenPipe:
            return "the other end has gone";
        case kErrOpenFailed:
            return "a pipe cannot be truncated";
        case kErrDiskFull:
            return "disk full";
        case kErrBufferTooSmall:
            return "value too long (string over 65535 code units, or buffer too small)";
        case kErrInvalidName:
            return "invalid name";
        case kErrNegativeSeek:
            return "seek before the start";
        case kErrSeekRefused:
            return "seek refused (pipe, or beyond the end)";
        case kErrBusy:
            return "device busy";
        case kErrNameTooLong:
            return "name too long";
        case kErrFileTooLarge:
            return "file too large";
        case kErrIoDevice:
            return "input/output error";
        case kErrTimeout:
            return "timed out";
        case 10048:
            return "the address is already in use";
        case 10049:
            return "the address is not available";
        case 10051:
            return "the network cannot be reached";
        case 10052:
            return "the network dropped the connection";
        case 10053:
            return "the connection was aborted";
        case 10054:
            return "the connection was reset by the other end";
        case 10057:
            return "not connected";
        case 10060:
            return "the connection attempt timed out";
        case 10061:
            return "the connection was refused";
        case 10065:
            return "the host cannot be reached";
        case 10092:
            return "the socket library is not available";
        case 11001:
            return "the host name is not known";
        case kErrCannotResolveName:
            return "too many symbolic links";
        case kErrSerialUnavailable:
            return "serial transport is not available";
        case kErrIpUnavailable:
            return "IP transport is not available in this program";
        default:
            break;
    }
    if ((code & ~0xFFFF) == kErrSystemBase) return "system error " + std::to_string(code & 0xFFFF);
    return "error " + std::to_string(code);
}

}  // namespace StreamIO
