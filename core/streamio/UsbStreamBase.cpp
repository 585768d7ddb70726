#include "streamio/UsbStreamBase.h"

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

}  // namespace StreamIO
