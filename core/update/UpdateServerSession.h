#pragma once
// The connection to the update server over FTP (or FTPS where the address says
// so), in passive mode, on libcurl. A session works in one folder at a time,
// "./ZvUpgrade/<sub-folder>/": it lists it (always afresh from the server),
// asks for a file's size, fetches small files and downloads large ones in
// steps.
//
// Every failure sets the last failure text; with the show-errors switch on (as
// it is at creation) the text is also shown to the user as an error message.
// Names from the server are used only when IsSafeServerName accepts them.
//
// One thread at a time; an abort flag (SetAbortFlag) set from any other thread
// ends the operation in progress as a failure within a fraction of a second.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/Sha256.h"

namespace Text {
class IUserPrompt;
}

namespace Update {

class CFtpDownload;

class CUpdateServerSession {
  public:
    // Longest listing taken from the server; a longer one is a failure.
    static constexpr std::size_t kMaxListingBytes = 16u << 20;

    // `serverUrl` as ServerUrl gives it; failures are shown through `prompt`
    // (may be null: nothing is shown).
    explicit CUpdateServerSession(std::string serverUrl, Text::IUserPrompt* prompt = nullptr);
    ~CUpdateServerSession();
    CUpdateServerSession(const CUpdateServerSession&) = delete;
    CUpdateServerSession& operator=(const CUpdateServerSession&) = delete;

    void SetShowErrors(bool on) { m_showErrors = on; }
    bool ShowErrors() const { return m_showErrors; }
    void SetAbortFlag(const std::atomic<bool>* abort) { m_abort = abort; }

    // Closes an earlier connection, connects, checks that the server answers
    // and changes into "./ZvUpgrade/<subFolder>/". False with the failure text
    // set when any of it fails.
    bool Open(std::string_view subFolder);
    // Whether the connection still answers in its folder; a connection that
    // does not is closed.
    bool IsOpen();
    void Close();

    const std::u16string& LastError() const { return m_lastError; }
    unsigned LastErrorId() const { return m_lastErrorId; }
    // "./ZvUpgrade/<sub-folder>/" of the last Open.
    const std::string& Folder() const { return m_folder; }

    // The names in the folder, as listed now by the server (lines that are
    // empty are dropped). Nothing on failure.
    std::optional<std::vector<std::string>> List();
    // The size of a file of the folder; nothing when it has none (no such file,
    // a folder) or the name is not safe.
    std::optional<std::uint64_t> FileSize(std::string_view name);
    // A whole file of at most `maxBytes` bytes; nothing when it is longer or
    // cannot be read.
    std::optional<std::string> Fetch(std::string_view name, std::size_t maxBytes);

    // Starts downloading `name` (listed as `size` bytes) into `target`: the
    // bytes go to "<target>.part", which becomes `target` only when exactly
    // `size` bytes arrived and, when `digest` is given, their SHA-256 matches.
    // Nothing when the local file cannot be made (`localFailed` is then set)
    // or the name is not safe. The session must outlive the download.
    std::unique_ptr<CFtpDownload> StartDownload(std::string_view name, std::uint64_t size,
                                                const std::filesystem::path& target,
                                                std::optional<CSha256::Digest> digest,
                                                bool* localFailed = nullptr);

    // Sets the failure text (and shows it when the switch is on).
    void Fail(unsigned id, std::u16string text);

    // TLS settings of the connection, from the address and the environment.
    struct STls;

  private:
    friend class CFtpDownload;
    struct SCurl;

    bool EnsureSession();
    std::string FileUrl(std::string_view name) const;
    void FailConnect(int code, const char* detail);

    std::string m_serverUrl;  // ends in "/"
    Text::IUserPrompt* m_prompt;
    std::unique_ptr<STls> m_tls;
    bool m_showErrors = true;
    const std::atomic<bool>* m_abort = nullptr;
    std::unique_ptr<SCurl> m_curl;
    bool m_open = false;
    std::string m_folder;
    std::string m_folderUrl;
    std::u16string m_lastError;
    unsigned m_lastErrorId = 0;
};

// A download in progress, driven in steps by its owner (the user-interface
// thread, or a loop in the command-line program).
class CFtpDownload {
  public:
    enum class EState { Running, Done, Failed };

    ~CFtpDownload();
    CFtpDownload(const CFtpDownload&) = delete;
    CFtpDownload& operator=(const CFtpDownload&) = delete;

    // Lets the transfer run until at least `chunk` more bytes arrived, it
    // ended, or a few milliseconds passed, so that the caller stays responsive.
    EState Step(std::uint64_t chunk);
    // Stops the transfer and removes the partial file.
    void Cancel();

    EState State() const { return m_state; }
    std::uint64_t Received() const { return m_received; }
    std::uint64_t Size() const { return m_size; }
    const std::filesystem::path& Target() const { return m_target; }
    // The failure text after Failed (also the session's last failure).
    const std::u16string& FailureText() const { return m_failure; }

    // The chunk of one step for a file of `size` bytes: a ten-thousandth of
    // it, but at least 64 KiB so that small steps do not slow large files.
    static std::uint64_t ChunkSize(std::uint64_t size);

  private:
    friend class CUpdateServerSession;
    CFtpDownload(CUpdateServerSession& session, std::string name, std::uint64_t size,
                 std::filesystem::path target, std::optional<CSha256::Digest> digest, int fd);
    static std::size_t OnData(char* data, std::size_t size, std::size_t count, void* self);
    void Finish(int code);
    void Fail(unsigned id, std::u16string text);
    void Detach();

    CUpdateServerSession& m_session;
    std::string m_name;
    std::uint64_t m_size;
    std::filesystem::path m_target;
    std::filesystem::path m_part;
    std::optional<CSha256::Digest> m_digest;
    CSha256 m_hash;
    int m_fd;
    void* m_easy = nullptr;
    char m_errorBuffer[256] = {};
    std::uint64_t m_received = 0;
    std::uint64_t m_writtenBack = 0;  // bytes handed to the disk already
    std::uint64_t m_stepGoal = 0;     // pause the transfer once this many bytes arrived
    bool m_paused = false;
    bool m_tooLong = false;
    bool m_writeFailed = false;
    EState m_state = EState::Running;
    std::u16string m_failure;
};

}  // namespace Update
