#pragma once
// Output files that hold either their old contents or the complete new ones:
// the bytes go to a temporary file beside the target, which is flushed to the
// disk and renamed over it. A symbolic link is followed, so the link stays.
#include <filesystem>
#include <string>
#include <string_view>

class CAtomicOutput {
  public:
    CAtomicOutput() = default;
    // Removes the temporary file unless Commit succeeded.
    ~CAtomicOutput();
    CAtomicOutput(const CAtomicOutput&) = delete;
    CAtomicOutput& operator=(const CAtomicOutput&) = delete;

    // Creates the temporary file beside `target`.
    bool Open(const std::filesystem::path& target);
    bool Write(std::string_view bytes);
    // Flushes to the disk and renames over the target.
    bool Commit();

    // The system's reason for the first failure.
    const std::string& Reason() const { return m_reason; }

  private:
    bool Fail(int err);

    int m_fd = -1;
    std::string m_temp;
    std::filesystem::path m_real;
    std::string m_reason;
    bool m_failed = false;
};

// The whole file at once. False with the system's reason when the file could
// not be written; the target is then untouched and nothing is left beside it.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string& reason);
