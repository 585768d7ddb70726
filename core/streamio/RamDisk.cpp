#include "streamio/RamDisk.h"

#include <cctype>

#include "streamio/IoStream.h"
#include "streamio/RamFile.h"
#include "streamio/StreamErrors.h"

namespace StreamIO {

namespace {

std::mutex g_DiskLock;
std::shared_ptr<CRamDisk> g_Disk;

std::string_view StripPrefix(std::string_view name) {
    return CRamDisk::HasPrefix(name) ? name.substr(CRamDisk::kPrefix.size()) : name;
}

}  // namespace

void CRamDisk::Create() {
    auto disk = std::make_shared<CRamDisk>();
    std::lock_guard lock(g_DiskLock);
    if (!g_Disk) g_Disk = std::move(disk);
}

void CRamDisk::Destroy() {
    std::shared_ptr<CRamDisk> old;
    {
        std::lock_guard lock(g_DiskLock);
        old.swap(g_Disk);
    }
}

std::shared_ptr<CRamDisk> CRamDisk::Current() {
    std::lock_guard lock(g_DiskLock);
    return g_Disk;
}

bool CRamDisk::HasPrefix(std::string_view name) {
    if (name.size() < kPrefix.size()) return false;
    for (std::size_t i = 0; i < kPrefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != kPrefix[i]) return false;
    }
    return true;
}

std::int32_t CRamDisk::Open(std::string_view name, std::uint32_t flags, std::shared_ptr<CRamFile>& file) {
    file.reset();
    const std::string_view bare = StripPrefix(name);
    if (bare.empty() || bare.find(':') != std::string_view::npos) return kErrInvalidName;

    const bool reads = (flags & kOpenRead) != 0;
    const bool writes = (flags & kOpenWrite) != 0;
    const std::uint32_t creation = flags & kCreationMask;

    std::lock_guard lock(m_Lock);
    auto found = m_Files.find(bare);
    if (found != m_Files.end()) {
        CRamFile& existing = *found->second;
        const std::uint32_t sharing = existing.Flags() & (kShareRead | kShareWrite);
        if (creation == kCreateNew) return kErrExists;
        if (creation == kCreateAlways) {
            if ((sharing & kShareWrite) == 0) return kErrSharing;
            if (existing.IsPipe()) return kErrOpenFailed;
        }
        if (existing.IsPipe() && sharing == 0) {
            // A private pipe: one reader and one writer at a time.
            if ((reads && existing.m_HasReader) || (writes && existing.m_HasWriter)) return kErrSharing;
            existing.m_HasReader = existing.m_HasReader || reads;
            existing.m_HasWriter = existing.m_HasWriter || writes;
        } else {
            if (reads && (sharing & kShareRead) == 0) return kErrSharing;
            if (writes && (sharing & kShareWrite) == 0) return kErrSharing;
        }
        if (creation == kCreateAlways) existing.Clear();
        ++existing.m_Users;
        file = found->second;
        return kErrNone;
    }

    if (creation == kOpenExisting) return kErrNotFound;
    auto created = std::make_shared<CRamFile>(std::string(bare), flags);
    if (created->IsPipe() && (created->Flags() & (kShareRead | kShareWrite)) == 0) {
        // The creator is the pipe's first reader and/or writer.
        created->m_HasReader = reads;
        created->m_HasWriter = writes;
    }
    created->m_Users = 1;
    m_Files.emplace(created->Name(), created);
    file = std::move(created);
    return kErrNone;
}

void CRamDisk::Release(const std::shared_ptr<CRamFile>& file, std::uint32_t flags) {
    if (!file) return;
    std::lock_guard lock(m_Lock);
    if (file->IsPipe() && (file->Flags() & (kShareRead | kShareWrite)) == 0) {
        if ((flags & kOpenRead) != 0) file->m_HasReader = false;
        if ((flags & kOpenWrite) != 0) file->m_HasWriter = false;
    }
    if (--file->m_Users > 0) return;
    auto found = m_Files.find(file->Name());
    if (found != m_Files.end() && found->second == file) m_Files.erase(found);
}

bool CRamDisk::Exists(std::string_view name) const {
    std::lock_guard lock(m_Lock);
    return m_Files.find(StripPrefix(name)) != m_Files.end();
}

std::size_t CRamDisk::FileCount() const {
    std::lock_guard lock(m_Lock);
    return m_Files.size();
}

}  // namespace StreamIO
