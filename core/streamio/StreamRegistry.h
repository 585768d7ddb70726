#pragma once
// The process-wide table of streams and their integer handles.
//
// A handle is slot index + generation: the generation starts at 1024 and grows by
// 1024 with every registration (back to 1024 after 0xFFFFFC00), so a stale handle
// to a slot that has been reused no longer matches. At most 1024 streams are
// registered; a stream constructed while the table is full gets handle 0.
//
// Ownership: a stream belongs to whoever created it, except once it has been handed
// to AdoptStream; then the registry owns it (AutoDelete) and deletes it when it is
// closed through its handle or at shut-down.
//
// Concurrent destruction: FindStream returns a shared_ptr. For a stream the
// registry owns, it shares that ownership, so the stream outlives a CloseStream
// that another thread runs meanwhile. For a stream owned elsewhere the pointer
// cannot extend its life (it does not own anything); the owner must not destroy
// the stream while another thread may still use its handle. Streams leave the
// table as the first step of their destruction, so FindStream never returns one
// that is already being destroyed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace StreamIO {

class CIoStream;

class CStreamRegistry {
  public:
    static constexpr std::size_t kCapacity = 1024;
    static constexpr std::uint32_t kSlotMask = 0x3FF;
    static constexpr std::uint32_t kFirstGeneration = 1024;
    static constexpr std::uint32_t kLastGeneration = 0xFFFFFC00;

    static CStreamRegistry& Instance();

    std::shared_ptr<CIoStream> Find(std::uint32_t handle) const;
    // 0 on success, 6 without a stream, the file exception's code, or 13 for any
    // other exception from Close. Deletes a stream the registry owns.
    std::int32_t Close(std::uint32_t handle);
    // Takes ownership and marks the stream AutoDelete. Returns its handle; raises
    // kErrTooManyOpen (and destroys the stream) when it has none.
    std::uint32_t Adopt(std::unique_ptr<CIoStream> stream);
    std::size_t Count() const;

    // See StartStreams / ShutdownStreams.
    void Start();
    void Shutdown();
    bool IsRunning() const;

  private:
    friend class CIoStream;
    CStreamRegistry() = default;

    void Register(CIoStream* stream);
    void Unregister(CIoStream* stream);

    struct SSlot {
        CIoStream* stream = nullptr;
        std::uint32_t handle = 0;
        std::shared_ptr<CIoStream> owner;  // set for adopted streams
    };

    // Serialises start-up and shut-down; never held while the table lock is wanted
    // by a stream operation, so closing streams under it cannot deadlock.
    mutable std::mutex m_LifeLock;
    mutable std::mutex m_Lock;  // the table and the generation counter
    std::array<SSlot, kCapacity> m_Slots{};
    std::uint32_t m_Generation = kFirstGeneration;
    bool m_Running = false;
};

// Brings the stream subsystem up: the in-memory disk "RAM:" and a fresh handle
// generation. Does nothing when it is already up.
void StartStreams();
// Closes every registered stream (deleting those the registry owns), empties the
// table and destroys the in-memory disk. Does nothing when it is down. Call it when
// no other thread uses streams any more.
void ShutdownStreams();

std::shared_ptr<CIoStream> FindStream(std::uint32_t handle);
std::int32_t CloseStream(std::uint32_t handle);
std::uint32_t AdoptStream(std::unique_ptr<CIoStream> stream);

}  // namespace StreamIO
