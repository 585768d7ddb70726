#include "streamio/StreamRegistry.h"

#include <utility>
#include <vector>

#include "streamio/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/RamDisk.h"
#include "streamio/StreamErrors.h"

namespace StreamIO {

CStreamRegistry& CStreamRegistry::Instance() {
    // Never destroyed: streams with static storage may unregister after main().
    static CStreamRegistry* const instance = new CStreamRegistry;
    return *instance;
}

void CStreamRegistry::Register(CIoStream* stream) {
    std::lock_guard lock(m_Lock);
    for (std::uint32_t i = 0; i < kCapacity; ++i) {
        SSlot& slot = m_Slots[i];
        if (slot.stream != nullptr) continue;
        slot.stream = stream;
        slot.handle = i + m_Generation;
        stream->m_Handle.store(slot.handle);
        m_Generation = m_Generation == kLastGeneration ? kFirstGeneration : m_Generation + kCapacity;
        return;
    }
    // Full: the stream works, it just cannot be reached through a handle.
}

void CStreamRegistry::Unregister(CIoStream* stream) {
    // Once a handle is 0 it stays 0, so this early exit needs no lock; it also
    // keeps the registry's own deletions (handle already cleared) lock-free.
    const std::uint32_t handle = stream->m_Handle.load();
    if (handle == 0) return;
    std::lock_guard lock(m_Lock);
    SSlot& slot = m_Slots[handle & kSlotMask];
    if (slot.stream == stream && slot.handle == handle) {
        slot.stream = nullptr;
        slot.handle = 0;
    }
    stream->m_Handle.store(0);
}

std::shared_ptr<CIoStream> CStreamRegistry::Find(std::uint32_t handle) const {
    if (handle == 0) return nullptr;
    std::lock_guard lock(m_Lock);
    const SSlot& slot = m_Slots[handle & kSlotMask];
    if (slot.stream == nullptr || slot.handle != handle) return nullptr;
    if (slot.owner) return slot.owner;
    // Not ours to keep alive: a pointer that owns nothing (see the header).
    return std::shared_ptr<CIoStream>(std::shared_ptr<CIoStream>(), slot.stream);
}

std::int32_t CStreamRegistry::Close(std::uint32_t handle) {
    if (handle == 0) return kErrInvalidHandle;
    CIoStream* stream = nullptr;
    std::shared_ptr<CIoStream> owned;
    {
        std::lock_guard lock(m_Lock);
        SSlot& slot = m_Slots[handle & kSlotMask];
        if (slot.stream == nullptr || slot.handle != handle) return kErrInvalidHandle;
        stream = slot.stream;
        if (slot.owner) {
            // The stream is about to be deleted: its handle dies now, so nobody
            // finds it between the close and the deletion.
            owned = std::move(slot.owner);
            slot.stream = nullptr;
            slot.handle = 0;
            stream->m_Handle.store(0);
        }
    }
    // Close outside the lock: a stream's Close may take other locks (the in-memory
    // disk's) and must never wait for the registry.
    std::int32_t code = kErrNone;
    try {
        stream->Close();
    } catch (const CFileException& e) {
        code = e.Code();
    } catch (...) {
        code = kErrUnexpected;
    }
    owned.reset();
    return code;
}

std::uint32_t CStreamRegistry::Adopt(std::unique_ptr<CIoStream> stream) {
    if (!stream) throw CFileException(kErrInvalidHandle, std::string());
    std::string name;
    {
        std::lock_guard lock(m_Lock);
        const std::uint32_t handle = stream->m_Handle.load();
        SSlot& slot = m_Slots[handle & kSlotMask];
        if (handle != 0 && slot.stream == stream.get() && slot.handle == handle) {
            stream->m_AutoDelete.store(true);
            slot.owner = std::shared_ptr<CIoStream>(std::move(stream));
            return handle;
        }
        name = stream->GetName();
    }
    // No handle, so nobody could ever close it through one: refuse and let the
    // stream go (outside the lock, its destructor unregisters).
    stream.reset();
    throw CFileException(kErrTooManyOpen, name);
}

std::size_t CStreamRegistry::Count() const {
    std::lock_guard lock(m_Lock);
    std::size_t count = 0;
    for (const SSlot& slot : m_Slots) count += slot.stream != nullptr ? 1 : 0;
    return count;
}

void CStreamRegistry::Start() {
    std::lock_guard life(m_LifeLock);
    if (m_Running) return;
    {
        std::lock_guard lock(m_Lock);
        m_Generation = kFirstGeneration;
    }
    CRamDisk::Create();
    m_Running = true;
}

void CStreamRegistry::Shutdown() {
    std::lock_guard life(m_LifeLock);
    if (!m_Running) return;
    std::vector<SSlot> taken;
    {
        std::lock_guard lock(m_Lock);
        for (SSlot& slot : m_Slots) {
            if (slot.stream == nullptr) continue;
            slot.stream->m_Handle.store(0);
            taken.push_back(std::move(slot));
            slot = SSlot{};
        }
    }
    for (SSlot& slot : taken) {
        try {
            slot.stream->Close();
        } catch (...) {
            // Shutting down: nobody is left to tell, and the rest must still close.
        }
        slot.owner.reset();
    }
    CRamDisk::Destroy();
    m_Running = false;
}

bool CStreamRegistry::IsRunning() const {
    std::lock_guard life(m_LifeLock);
    return m_Running;
}

void StartStreams() {
    CStreamRegistry::Instance().Start();
}
void ShutdownStreams() {
    CStreamRegistry::Instance().Shutdown();
}
std::shared_ptr<CIoStream> FindStream(std::uint32_t handle) {
    return CStreamRegistry::Instance().Find(handle);
}
std::int32_t CloseStream(std::uint32_t handle) {
    return CStreamRegistry::Instance().Close(handle);
}
std::uint32_t AdoptStream(std::unique_ptr<CIoStream> stream) {
    return CStreamRegistry::Instance().Adopt(std::move(stream));
}

}  // namespace StreamIO
