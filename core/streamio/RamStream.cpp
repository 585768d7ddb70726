#include "streamio/RamStream.h"

#include <exception>
#include <limits>
#include <new>
#include <stdexcept>

#include "streamio/RamDisk.h"
#include "streamio/RamFile.h"
#include "streamio/StreamErrors.h"

namespace StreamIO {

CRamStream::~CRamStream() {
    Unregister();
    if (m_File) m_Disk->Release(m_File, GetOpenFlags());
}

bool CRamStream::Open(const std::string& name, std::uint32_t flags) {
    if (IsOpen()) {
        SetLastError(kErrNotSupported);
        return false;
    }
    SetName(name);
    SetOpenFlags(flags);
    SetLastError(kErrGeneral);  // replaced by the outcome
    std::shared_ptr<CRamDisk> disk = CRamDisk::Current();
    if (!disk) Fail(kErrOutOfMemory);
    std::shared_ptr<CRamFile> file;
    std::int32_t code = kErrNone;
    try {
        code = disk->Open(name, flags, file);
    } catch (const std::bad_alloc&) {
        code = kErrOutOfMemory;
    }
    if (code != kErrNone) Fail(code);
    m_Disk = std::move(disk);
    m_File = std::move(file);
    m_Position = 0;
    SetLastError(kErrNone);
    return true;
}

void CRamStream::Close() {
    SetLastError(kErrNone);
    if (m_File) m_Disk->Release(m_File, GetOpenFlags());
    m_File.reset();
    m_Disk.reset();
    m_Position = 0;
}

void CRamStream::RequireOpen() {
    SetLastError(kErrNone);
    if (!m_File) Fail(kErrInvalidHandle);
}

bool CRamStream::IsPipe() const {
    return m_File ? m_File->IsPipe() : (GetOpenFlags() & kPipe) != 0;
}

void CRamStream::ClearInput() {
    RequireOpen();
    if (m_File->IsPipe()) m_File->Clear();
}

std::size_t CRamStream::Read(void* buffer, std::size_t count) {
    RequireOpen();
    if ((GetOpenFlags() & kOpenRead) == 0) Fail(kErrReadFault);
    if (count == 0) return 0;
    if (buffer == nullptr) {
        SetLastError(kErrInvalidParameter);
        return 0;
    }
    const std::size_t got =
        m_File->IsPipe() ? m_File->PipeRead(buffer, count) : m_File->ReadAt(m_Position, buffer, count);
    m_Position += got;
    if (got == 0) SetLastError(kErrEndOfData);
    return got;
}

std::size_t CRamStream::Write(const void* buffer, std::size_t count) {
    RequireOpen();
    if ((GetOpenFlags() & kOpenWrite) == 0) Fail(kErrWriteFault);
    if (count == 0) return 0;
    if (buffer == nullptr) Fail(kErrInvalidParameter);
    std::size_t put = 0;
    try {
        put =
            m_File->IsPipe() ? m_File->PipeWrite(buffer, count) : m_File->WriteAt(m_Position, buffer, count);
    } catch (const std::bad_alloc&) {
        Fail(kErrOutOfMemory);
    } catch (const std::length_error&) {
        Fail(kErrOutOfMemory);
    }
    m_Position += put;
    return put;
}

bool CRamStream::IsRandomAccess() const {
    return !IsPipe();
}

std::uint64_t CRamStream::GetLength() {
    RequireOpen();
    return m_File->Length();
}

std::uint64_t CRamStream::GetPosition() {
    RequireOpen();
    return m_Position;
}

std::uint64_t CRamStream::Seek(std::int64_t offset, int origin) {
    RequireOpen();
    if (m_File->IsPipe()) Fail(kErrSeekRefused);
    const std::uint64_t length = m_File->Length();
    std::uint64_t base = 0;
    switch (origin) {
        case kSeekCurrent:
            base = m_Position;
            break;
        case kSeekBegin:
            base = 0;
            break;
        case kSeekEnd:
            base = length;
            break;
        default:
            Fail(kErrSeek);
    }
    std::uint64_t target = 0;
    if (offset < 0) {
        const std::uint64_t back = static_cast<std::uint64_t>(-(offset + 1)) + 1;
        if (back > base) Fail(kErrNegativeSeek);
        target = base - back;
        if (target > length) Fail(kErrSeekRefused);
    } else {
        const std::uint64_t ahead = static_cast<std::uint64_t>(offset);
        if (ahead > length || base > length - ahead) Fail(kErrSeekRefused);
        target = base + ahead;
    }
    m_Position = target;
    return m_Position;
}

std::uint64_t CRamStream::SetPosition(std::uint64_t position) {
    RequireOpen();
    if (position > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        Fail(kErrSeekRefused);
    return Seek(static_cast<std::int64_t>(position), kSeekBegin);
}

void CRamStream::Truncate() {
    RequireOpen();
    if ((GetOpenFlags() & kOpenWrite) == 0) Fail(kErrWriteFault);
    // A ring has no position to cut at.
    if (m_File->IsPipe()) Fail(kErrSeekRefused);
    try {
        m_File->SetLength(m_Position);
    } catch (const std::exception&) {
        Fail(kErrOutOfMemory);
    }
}

bool CRamStream::Reserve(std::size_t capacity) {
    RequireOpen();
    return m_File->Reserve(capacity);
}

std::size_t CRamStream::GetCapacity() const {
    return m_File ? m_File->Capacity() : 0;
}

}  // namespace StreamIO
