#include "streamio/IoStream.h"

#include <exception>

#include "streamio/FileException.h"
#include "streamio/StreamErrors.h"
#include "streamio/StreamRegistry.h"

namespace StreamIO {

CIoStream::CIoStream() {
    CStreamRegistry::Instance().Register(this);
}

CIoStream::~CIoStream() {
    Unregister();
}

void CIoStream::Unregister() {
    CStreamRegistry::Instance().Unregister(this);
}

bool CIoStream::Reopen() {
    if (m_Name.empty()) return false;
    const std::string name = m_Name;  // Open stores the name again
    return Open(name, m_OpenFlags);
}

void CIoStream::CloseQuietly() {
    try {
        Close();
    } catch (const std::exception&) {
        // Quiet by request: the caller is giving the stream up either way.
    }
}

bool CIoStream::GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) {
    readMs = -1;
    writeMs = -1;
    return false;
}

bool CIoStream::SetTimeouts(std::int32_t, std::int32_t) {
    return false;
}

bool CIoStream::IsTimeout() const {
    const std::int32_t code = GetLastError();
    return code == kErrEndOfData || code == kErrTimeout;
}

std::uint8_t CIoStream::ReadByte() {
    std::uint8_t value = 0;
    Read(&value, 1);
    return value;
}

void CIoStream::WriteByte(std::uint8_t value) {
    Write(&value, 1);
}

std::uint64_t CIoStream::Seek(std::int64_t, int) {
    return 0;
}

std::uint64_t CIoStream::SetPosition(std::uint64_t) {
    return 0;
}

void CIoStream::Fail(std::int32_t code) {
    m_LastError = code;
    throw CFileException(code, m_Name);
}

void CIoStream::FailErrno(int err) {
    m_LastError = ErrorFromErrno(err);
    throw CFileException(m_LastError, m_Name, err);
}

}  // namespace StreamIO
