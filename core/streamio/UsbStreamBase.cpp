#include "streamio/UsbStreamBase.h"

#include <algorithm>
#include <cstring>

#include "streamio/StreamErrors.h"

namespace StreamIO {

bool CUsbStreamBase::GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) {
    SetLastError(kErrNone);
    readMs = m_ReadMs;
    writeMs = m_WriteMs;
    return true;
}

bool CUsbStreamBase::SetTimeouts(std::int32_t readMs, std::int32_t writeMs) {
    SetLastError(kErrNone);
    m_ReadMs = readMs;
    m_WriteMs = writeMs;
    return true;
}

bool CUsbStreamBase::CancelIo() {
    SetLastError(kErrNone);
    m_Cancel.store(true);
    return true;
}

void CUsbStreamBase::Interrupt() {
    m_Interrupted.store(true);
}

void CUsbStreamBase::BeginRead(bool ready) {
    SetLastError(kErrNone);
    if (!ready || (GetOpenFlags() & kOpenRead) == 0) Fail(kErrReadFault);
    Begin();
}

void CUsbStreamBase::BeginWrite(bool ready) {
    SetLastError(kErrNone);
    if (!ready || (GetOpenFlags() & kOpenWrite) == 0) Fail(kErrWriteFault);
    Begin();
}

std::size_t CUsbStreamBase::EndRead(std::size_t done, std::size_t count) {
    if (done == 0 && count > 0 && GetLastError() == kErrNone) SetLastError(kErrEndOfData);
    return done;
}

std::size_t CUsbStreamBase::TakeBuffered(const std::vector<std::uint8_t>& buffer, std::size_t& at,
                                         std::uint8_t* out, std::size_t want) {
    if (at >= buffer.size()) return 0;
    const std::size_t n = std::min(want, buffer.size() - at);
    std::memcpy(out, buffer.data() + at, n);
    at += n;
    return n;
}

}  // namespace StreamIO
