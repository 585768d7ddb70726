#include "streamio/RamFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "streamio/IoStream.h"

namespace StreamIO {

CRamFile::CRamFile(std::string name, std::uint32_t flags)
    : m_Name(std::move(name)), m_Flags(flags & (kShareRead | kShareWrite | kPipe)) {}

bool CRamFile::IsPipe() const {
    return (m_Flags & kPipe) != 0;
}

std::size_t CRamFile::RoundUp(std::size_t needed) {
    if (needed > std::numeric_limits<std::size_t>::max() - kGrowStep)
        throw std::length_error("in-memory file");
    return (needed + kGrowStep - 1) / kGrowStep * kGrowStep;
}

std::size_t CRamFile::Waiting() const {
    const std::size_t capacity = m_Data.size();
    if (capacity == 0) return 0;
    return (m_End + capacity - m_Start) % capacity;
}

void CRamFile::GrowPlain(std::size_t needed) {
    if (needed <= m_Data.size()) return;
    m_Data.resize(RoundUp(needed));
}

void CRamFile::GrowRing(std::size_t needed) {
    if (needed <= m_Data.size()) return;
    // Lay the waiting bytes out from the start of the new ring.
    std::vector<std::uint8_t> ring(RoundUp(needed));
    const std::size_t waiting = Waiting();
    const std::size_t first = std::min(waiting, m_Data.size() - m_Start);
    if (first != 0) std::memcpy(ring.data(), m_Data.data() + m_Start, first);
    if (waiting > first) std::memcpy(ring.data() + first, m_Data.data(), waiting - first);
    m_Data.swap(ring);
    m_Start = 0;
    m_End = waiting;
}

std::size_t CRamFile::ReadAt(std::uint64_t position, void* buffer, std::size_t count) {
    std::lock_guard lock(m_Lock);
    if (position >= m_End) return 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_End - position));
    std::memcpy(buffer, m_Data.data() + position, n);
    return n;
}

std::size_t CRamFile::WriteAt(std::uint64_t position, const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    std::lock_guard lock(m_Lock);
    if (position > std::numeric_limits<std::size_t>::max() - count) throw std::length_error("in-memory file");
    const std::size_t pos = static_cast<std::size_t>(position);
    const std::size_t end = pos + count;
    GrowPlain(end);
    // The space past the end may hold bytes of an earlier, longer life of the file.
    if (pos > m_End) std::memset(m_Data.data() + m_End, 0, pos - m_End);
    std::memcpy(m_Data.data() + pos, buffer, count);
    m_End = std::max(m_End, end);
    return count;
}

void CRamFile::SetLength(std::uint64_t length) {
    std::lock_guard lock(m_Lock);
    if (length > std::numeric_limits<std::size_t>::max()) throw std::length_error("in-memory file");
    const std::size_t newEnd = static_cast<std::size_t>(length);
    if (newEnd > m_End) {
        GrowPlain(newEnd);
        std::memset(m_Data.data() + m_End, 0, newEnd - m_End);
    }
    m_End = newEnd;
}

std::size_t CRamFile::PipeRead(void* buffer, std::size_t count) {
    std::lock_guard lock(m_Lock);
    const std::size_t n = std::min(count, Waiting());
    if (n == 0) return 0;
    const std::size_t first = std::min(n, m_Data.size() - m_Start);
    std::memcpy(buffer, m_Data.data() + m_Start, first);
    if (n > first) std::memcpy(static_cast<std::uint8_t*>(buffer) + first, m_Data.data(), n - first);
    m_Start = (m_Start + n) % m_Data.size();
    return n;
}

std::size_t CRamFile::PipeWrite(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    std::lock_guard lock(m_Lock);
    const std::size_t waiting = Waiting();
    if (count > std::numeric_limits<std::size_t>::max() - waiting - 1)
        throw std::length_error("in-memory file");
    GrowRing(waiting + count + 1);  // one byte always stays free
    const std::size_t first = std::min(count, m_Data.size() - m_End);
    std::memcpy(m_Data.data() + m_End, buffer, first);
    if (count > first)
        std::memcpy(m_Data.data(), static_cast<const std::uint8_t*>(buffer) + first, count - first);
    m_End = (m_End + count) % m_Data.size();
    return count;
}

std::uint64_t CRamFile::Length() {
    std::lock_guard lock(m_Lock);
    return IsPipe() ? Waiting() : m_End;
}

void CRamFile::Clear() {
    std::lock_guard lock(m_Lock);
    if (IsPipe()) {
        m_Start = m_End;
    } else {
        m_End = 0;
    }
}

bool CRamFile::Reserve(std::size_t capacity) {
    std::lock_guard lock(m_Lock);
    try {
        if (IsPipe()) {
            GrowRing(capacity);
        } else {
            GrowPlain(capacity);
        }
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

std::size_t CRamFile::Capacity() {
    std::lock_guard lock(m_Lock);
    return m_Data.size();
}

}  // namespace StreamIO
