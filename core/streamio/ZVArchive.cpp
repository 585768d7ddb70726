#include "streamio/ZVArchive.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "streamio/FileException.h"
#include "streamio/FileStream.h"
#include "streamio/IoStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/StreamFactory.h"
#include "streamio/StreamRegistry.h"
#include "text/Encoding.h"

namespace StreamIO {

CZVArchive::CZVArchive(const std::string& name, std::uint16_t mode, std::size_t bufferSize) : m_Name(name) {
    Init(mode, bufferSize);
    const std::uint32_t flags =
        IsLoading() ? (kOpenRead | kShareRead) : (kOpenRead | kOpenWrite | kCreateAlways | kShareRead);
    m_Owned = CreateStream(name, flags);
    if (!m_Owned) Fail(kErrNotFound);
    m_Stream = m_Owned.get();
    if (IsLoading()) {
        m_Limit = m_Stream->Read(m_Buffer.data(), m_Buffer.size());
        m_Total = m_Limit;
    }
}

CZVArchive::CZVArchive(std::uint32_t streamHandle, std::uint16_t mode, std::size_t bufferSize)
    : m_StreamHandle(streamHandle) {
    Init(mode, bufferSize);
    m_Shared = FindStream(streamHandle);
    if (!m_Shared || !m_Shared->IsOpen()) {
        m_Shared.reset();
        Fail(kErrInvalidHandle);
    }
    m_Name = m_Shared->GetName();
    m_Stream = m_Shared.get();
    m_Stream->SetPosition(0);
    if (IsLoading()) {
        m_Limit = m_Stream->Read(m_Buffer.data(), m_Buffer.size());
        m_Total = m_Limit;
    } else {
        m_Stream->Truncate();
    }
}

void CZVArchive::Init(std::uint16_t mode, std::size_t bufferSize) {
    if ((mode & kBigEndian) != 0) mode |= kBigEndian;
    m_Mode = mode;
    m_Buffer.assign(std::max(bufferSize, kMinBufferSize), 0);
    m_Point = 0;
    m_Limit = IsLoading() ? 0 : m_Buffer.size();
}

CZVArchive::~CZVArchive() {
    if (!IsOpen()) return;
    if ((m_Mode & kAbandon) != 0) {
        Abort();
        return;
    }
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; callers that care close explicitly.
        Abort();
    }
}

void CZVArchive::SetMode(std::uint16_t mode) {
    if ((mode & kBigEndian) != 0) mode |= kBigEndian;
    m_Mode = static_cast<std::uint16_t>((m_Mode & kLoad) | (mode & ~kLoad));
}

void CZVArchive::Fail(std::int32_t code) const {
    throw CFileException(code, m_Name);
}

std::uint64_t CZVArchive::GetOffset() const {
    return IsLoading() ? m_Total - (m_Limit - m_Point) : m_Total + m_Point;
}

// ---- storing ----

void CZVArchive::WriteOut() {
    if (m_Point == 0) return;
    const std::size_t asked = m_Point;
    // Whatever happens, these bytes are not offered again: a retry after a partial
    // write would put them into the stream twice.
    m_Point = 0;
    const std::size_t written = m_Stream->Write(m_Buffer.data(), asked);
    m_Total += written;
    if (written < asked) Fail(kErrWriteFault);
    if (const std::int32_t code = m_Stream->GetLastError(); code != kErrNone) Fail(code);
}

void CZVArchive::Room(std::size_t bytes) {
    if (m_Stream == nullptr) Fail(kErrEndOfData);
    if (IsLoading()) Fail(kErrWriteFault);
    if (m_Limit - m_Point >= bytes) return;
    WriteOut();
    if (m_Limit - m_Point < bytes) Fail(kErrBufferTooSmall);
}

void CZVArchive::Put16(std::uint16_t value) {
    std::uint8_t* p = m_Buffer.data() + m_Point;
    if (IsBigEndian()) {
        p[0] = static_cast<std::uint8_t>(value >> 8);
        p[1] = static_cast<std::uint8_t>(value);
    } else {
        p[0] = static_cast<std::uint8_t>(value);
        p[1] = static_cast<std::uint8_t>(value >> 8);
    }
    m_Point += 2;
}

void CZVArchive::Put32(std::uint32_t value) {
    if (IsBigEndian()) {
        Put16(static_cast<std::uint16_t>(value >> 16));
        Put16(static_cast<std::uint16_t>(value));
    } else {
        Put16(static_cast<std::uint16_t>(value));
        Put16(static_cast<std::uint16_t>(value >> 16));
    }
}

void CZVArchive::WriteByte(std::uint8_t value) {
    Room(1);
    m_Buffer[m_Point++] = value;
}

void CZVArchive::WriteWord(std::uint16_t value) {
    Room(2);
    Put16(value);
}

void CZVArchive::WriteDword(std::uint32_t value) {
    Room(4);
    Put32(value);
}

void CZVArchive::WriteFloat(float value) {
    WriteDword(std::bit_cast<std::uint32_t>(value));
}

void CZVArchive::WriteWords(const std::uint16_t* values, std::size_t count) {
    while (count > 0) {
        Room(2);
        const std::size_t chunk = std::min(count, (m_Limit - m_Point) / 2);
        for (std::size_t i = 0; i < chunk; ++i) Put16(values[i]);
        values += chunk;
        count -= chunk;
    }
}

void CZVArchive::WriteString(std::u16string_view text) {
    if (text.size() > kMaxBlock) Fail(kErrBufferTooSmall);
    WriteByte(kWideMarker);
    WriteWord(static_cast<std::uint16_t>(text.size()));
    std::size_t done = 0;
    while (done < text.size()) {
        Room(2);
        const std::size_t chunk = std::min(text.size() - done, (m_Limit - m_Point) / 2);
        for (std::size_t i = 0; i < chunk; ++i) Put16(static_cast<std::uint16_t>(text[done + i]));
        done += chunk;
    }
}

void CZVArchive::Flush(bool durable) {
    if (m_Stream == nullptr) Fail(kErrEndOfData);
    if (IsLoading()) Fail(kErrWriteFault);
    WriteOut();
    m_Stream->Flush();
    if (durable) {
        if (auto* file = dynamic_cast<CFileStream*>(m_Stream)) file->Sync();
    }
}

// ---- loading ----

void CZVArchive::Fill(std::size_t bytes) {
    if (m_Stream == nullptr) Fail(kErrEndOfData);
    if (!IsLoading()) Fail(kErrReadFault);
    if (m_Limit - m_Point >= bytes) return;
    if (m_Buffer.size() < bytes) Fail(kErrBufferTooSmall);
    const std::size_t rest = m_Limit - m_Point;
    if (rest != 0 && m_Point != 0) std::memmove(m_Buffer.data(), m_Buffer.data() + m_Point, rest);
    m_Point = 0;
    m_Limit = rest;
    const std::size_t got = m_Stream->Read(m_Buffer.data() + rest, m_Buffer.size() - rest);
    m_Limit += got;
    m_Total += got;
    if (m_Limit < bytes) Fail(kErrEndOfData);
}

std::uint16_t CZVArchive::Get16() {
    const std::uint8_t* p = m_Buffer.data() + m_Point;
    m_Point += 2;
    return IsBigEndian() ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                         : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
}

std::uint32_t CZVArchive::Get32() {
    const std::uint32_t first = Get16();
    const std::uint32_t second = Get16();
    return IsBigEndian() ? (first << 16 | second) : (second << 16 | first);
}

std::uint8_t CZVArchive::ReadByte() {
    Fill(1);
    return m_Buffer[m_Point++];
}

std::uint16_t CZVArchive::ReadWord() {
    Fill(2);
    return Get16();
}

std::uint32_t CZVArchive::ReadDword() {
    Fill(4);
    return Get32();
}

float CZVArchive::ReadFloat() {
    return std::bit_cast<float>(ReadDword());
}

void CZVArchive::ReadWords(std::uint16_t* values, std::size_t count) {
    const std::size_t perChunk = m_Buffer.size() / 2;
    while (count > 0) {
        const std::size_t chunk = std::min(count, perChunk);
        Fill(chunk * 2);
        for (std::size_t i = 0; i < chunk; ++i) values[i] = Get16();
        values += chunk;
        count -= chunk;
    }
}

void CZVArchive::ReadBytes(void* buffer, std::size_t count) {
    if (count > kMaxBlock) Fail(kErrBufferTooSmall);
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const std::size_t chunk = std::min(count, m_Buffer.size());
        Fill(chunk);
        std::memcpy(out, m_Buffer.data() + m_Point, chunk);
        m_Point += chunk;
        out += chunk;
        count -= chunk;
    }
}

std::u16string CZVArchive::ReadString() {
    const std::uint8_t marker = ReadByte();
    std::size_t length = ReadWord();
    // The text grows chunk by chunk as the data arrive, so a length that promises
    // more than the stream holds ends in 38 without a large allocation first.
    if (marker == kNarrowMarker) {
        std::string narrow;
        while (length > 0) {
            const std::size_t chunk = std::min(length, m_Buffer.size());
            Fill(chunk);
            narrow.append(reinterpret_cast<const char*>(m_Buffer.data() + m_Point), chunk);
            m_Point += chunk;
            length -= chunk;
        }
        return Text::FromCp1252(narrow);
    }
    std::u16string wide;
    const std::size_t perChunk = m_Buffer.size() / 2;
    while (length > 0) {
        const std::size_t chunk = std::min(length, perChunk);
        Fill(chunk * 2);
        for (std::size_t i = 0; i < chunk; ++i) wide.push_back(static_cast<char16_t>(Get16()));
        length -= chunk;
    }
    return wide;
}

bool CZVArchive::IsAtEnd() {
    if (m_Stream == nullptr) return true;
    if (!IsLoading()) Fail(kErrReadFault);
    if (m_Point < m_Limit) return false;
    m_Point = 0;
    m_Limit = m_Stream->Read(m_Buffer.data(), m_Buffer.size());
    m_Total += m_Limit;
    return m_Limit == 0;
}

// ---- closing ----

void CZVArchive::Close() {
    if (m_Stream == nullptr) return;
    if (!IsLoading()) {
        WriteOut();
        m_Stream->Flush();
    }
    Release(false);
}

void CZVArchive::Abort() {
    if (m_Stream == nullptr) return;
    try {
        Release(true);
    } catch (...) {
        // Abort never raises.
    }
}

void CZVArchive::Release(bool quietly) {
    m_Stream = nullptr;
    m_Point = 0;
    m_Limit = IsLoading() ? 0 : m_Buffer.size();
    if (m_Shared) {
        m_Shared.reset();
        const std::int32_t code = CloseStream(m_StreamHandle);
        if (code != kErrNone && !quietly) Fail(code);
        return;
    }
    std::unique_ptr<CIoStream> stream = std::move(m_Owned);
    if (quietly) {
        stream->CloseQuietly();
    } else {
        stream->Close();
    }
}

}  // namespace StreamIO
