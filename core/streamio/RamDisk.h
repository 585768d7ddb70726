#pragma once
// The in-memory disk "RAM:": a map from names to in-memory files, one per process,
// created by StartStreams and destroyed by ShutdownStreams. Streams keep the disk
// and their file alive through shared pointers, so a stream that outlives the
// shut-down still closes safely.
//
// Lock order: the disk's lock before a file's lock.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace StreamIO {

class CRamFile;

class CRamDisk {
  public:
    static constexpr std::string_view kPrefix = "RAM:";

    static void Create();
    static void Destroy();
    // The disk, or nullptr while the stream subsystem is down.
    static std::shared_ptr<CRamDisk> Current();

    // True when the name begins with "RAM:" in any letter case.
    static bool HasPrefix(std::string_view name);

    // Looks the file up or creates it under the sharing, creation and pipe rules.
    // Returns 0 and the file, or a stream code (2, 32, 80, 110, 123) and nothing.
    std::int32_t Open(std::string_view name, std::uint32_t flags, std::shared_ptr<CRamFile>& file);
    // One user fewer; the file goes when its last user has gone. `flags` are the
    // ones its Open was given.
    void Release(const std::shared_ptr<CRamFile>& file, std::uint32_t flags);

    bool Exists(std::string_view name) const;
    std::size_t FileCount() const;

  private:
    mutable std::mutex m_Lock;
    std::map<std::string, std::shared_ptr<CRamFile>, std::less<>> m_Files;
};

}  // namespace StreamIO
