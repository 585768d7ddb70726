#include "update/UpdateServerSession.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "text/Encoding.h"
#include "text/StringTable.h"
#include "text/UserPrompt.h"
#include "update/UpdateNames.h"
#include "update/UpdateServer.h"
#include "update/UpdateStrings.h"

namespace Update {

struct CUpdateServerSession::STls {
    bool required = false;
    std::string caFile;
};

namespace {

constexpr long kConnectTimeoutMs = 15000;
constexpr long kResponseTimeoutS = 30;
// A transfer that moves less than a byte a second for this long has stalled.
constexpr long kStallSeconds = 30;
constexpr long kPollMs = 50;
constexpr std::size_t kMaxSystemText = 1024;

bool GlobalInit() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

std::string Escape(CURL* easy, std::string_view text) {
    char* escaped = curl_easy_escape(easy, text.data(), static_cast<int>(text.size()));
    if (escaped == nullptr) return {};
    std::string result(escaped);
    curl_free(escaped);
    return result;
}

// The address with a path that ends in "/", so that folder names can follow.
std::string FolderBase(std::string url) {
    const std::size_t scheme = url.find("://");
    const std::size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (path == std::string::npos || url.back() != '/') url.push_back('/');
    return url;
}

struct SEasy {
    CURL* handle = nullptr;
    char error[CURL_ERROR_SIZE] = {};
    curl_slist* quote = nullptr;
    std::string body;
    std::size_t limit = 0;
    bool tooLong = false;
    ~SEasy() {
        if (quote) curl_slist_free_all(quote);
        if (handle) curl_easy_cleanup(handle);
    }
};

std::size_t CollectBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* easy = static_cast<SEasy*>(user);
    const std::size_t n = size * count;
    if (easy->body.size() + n > easy->limit) {
        easy->tooLong = true;
        return 0;
    }
    easy->body.append(data, n);
    return n;
}

// Requests without a body of interest would otherwise print the server's
// answers to standard output.
std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

int CheckAbort(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* abort = static_cast<const std::atomic<bool>*>(flag);
    return abort != nullptr && abort->load() ? 1 : 0;
}

void CommonOptions(CURL* h, const std::string& url, char* error, const std::atomic<bool>* abort,
                   const CUpdateServerSession::STls& tls) {
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    // "ftps://" is TLS from the first byte (libcurl's own meaning); "ftpes://"
    // became "ftp://" with TLS required after AUTH TLS, for both connections.
    if (tls.required) curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (!tls.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, tls.caFile.c_str());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp,ftps");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, kResponseTimeoutS);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    // Passive mode: the client opens the data connection.
    curl_easy_setopt(h, CURLOPT_FTPPORT, nullptr);
    curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 1L);
    curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, CheckAbort);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(abort));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Discard);
}

}  // namespace

// The multi handle keeps the control connection between the operations.
struct CUpdateServerSession::SCurl {
    CURLM* multi = nullptr;
    ~SCurl() {
        if (multi) curl_multi_cleanup(multi);
    }

    // Runs one transfer to its end (or until the abort flag is set).
    CURLcode Perform(CURL* easy, const std::atomic<bool>* abort) {
        if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
        CURLcode result = CURLE_OK;
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
            bool done = false;
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi, &left))
                if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
                    result = msg->data.result;
                    done = true;
                }
            if (done) break;
            if (abort != nullptr && abort->load()) {
                result = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
        }
        curl_multi_remove_handle(multi, easy);
        return result;
    }
};

CUpdateServerSession::CUpdateServerSession(std::string serverUrl, Text::IUserPrompt* prompt)
    : m_prompt(prompt), m_tls(std::make_unique<STls>()) {
    // The update server is an FTP server: an address written without a scheme
    // ("user:password@host:21/") means one, where the system would guess a
    // web server and fail with a message about a protocol nobody asked for.
    if (serverUrl.find("://") == std::string::npos) serverUrl.insert(0, "ftp://");
    constexpr std::string_view kExplicit = "ftpes://";
    if (serverUrl.size() >= kExplicit.size() &&
        std::equal(kExplicit.begin(), kExplicit.end(), serverUrl.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
        serverUrl.replace(0, kExplicit.size(), "ftp://");
        m_tls->required = true;
    }
    if (const char* ca = std::getenv(kCaFileEnvironmentVariable); ca != nullptr) m_tls->caFile = ca;
    m_serverUrl = FolderBase(std::move(serverUrl));
}

CUpdateServerSession::~CUpdateServerSession() {
    Close();
}

void CUpdateServerSession::Fail(unsigned id, std::u16string text) {
    m_lastError = std::move(text);
    m_lastErrorId = id;
    if (m_showErrors && m_prompt != nullptr) {
        Text::SMessage msg;
        msg.textId = id;
        msg.text = m_lastError;
        msg.icon = Text::MsgIcon::Error;
        m_prompt->ShowMessage(msg);
    }
}

void CUpdateServerSession::FailConnect(int code, const char* detail) {
    std::string system =
        detail != nullptr && *detail != '\0' ? detail : curl_easy_strerror(static_cast<CURLcode>(code));
    if (system.size() > kMaxSystemText) system.resize(kMaxSystemText);
    Fail(0, Text::Format(u"%s %s", Text::FromUtf8(system), Text::FormatString(kIdErrorNumber, code)));
}

bool CUpdateServerSession::EnsureSession() {
    if (m_curl) return true;
    auto curl = std::make_unique<SCurl>();
    if (GlobalInit()) curl->multi = curl_multi_init();
    if (curl->multi == nullptr) {
        Fail(kIdNoSession, Text::LoadString(kIdNoSession));
        return false;
    }
    m_curl = std::move(curl);
    return true;
}

bool CUpdateServerSession::Open(std::string_view subFolder) {
    Close();
    if (!EnsureSession()) return false;
    m_folder = "./ZvUpgrade/" + std::string(subFolder) + "/";

    SEasy login;
    login.handle = curl_easy_init();
    if (login.handle == nullptr) {
        Fail(kIdNoSession, Text::LoadString(kIdNoSession));
        return false;
    }
    m_folderUrl = m_serverUrl + "ZvUpgrade/" + Escape(login.handle, subFolder) + "/";
    // Connect and log in, then ask for the current folder: a server that
    // cannot name it does not really answer.
    CommonOptions(login.handle, m_serverUrl, login.error, m_abort, *m_tls);
    login.quote = curl_slist_append(nullptr, "PWD");
    curl_easy_setopt(login.handle, CURLOPT_QUOTE, login.quote);
    curl_easy_setopt(login.handle, CURLOPT_NOBODY, 1L);
    CURLcode rc = m_curl->Perform(login.handle, m_abort);
    if (rc == CURLE_QUOTE_ERROR) {
        Fail(kIdNoAnswer, Text::LoadString(kIdNoAnswer));
        Close();
        return false;
    }
    if (rc != CURLE_OK) {
        FailConnect(rc, login.error);
        Close();
        return false;
    }

    SEasy folder;
    folder.handle = curl_easy_init();
    if (folder.handle == nullptr) {
        Fail(kIdNoSession, Text::LoadString(kIdNoSession));
        Close();
        return false;
    }
    CommonOptions(folder.handle, m_folderUrl, folder.error, m_abort, *m_tls);
    curl_easy_setopt(folder.handle, CURLOPT_NOBODY, 1L);
    rc = m_curl->Perform(folder.handle, m_abort);
    if (rc != CURLE_OK) {
        if (rc == CURLE_REMOTE_ACCESS_DENIED || rc == CURLE_REMOTE_FILE_NOT_FOUND)
            Fail(kIdFolderMissing, Text::FormatString(kIdFolderMissing, m_folder));
        else
            Fail(kIdNoAnswer, Text::LoadString(kIdNoAnswer));
        Close();
        return false;
    }
    m_open = true;
    return true;
}

bool CUpdateServerSession::IsOpen() {
    if (!m_open || !m_curl) return false;
    SEasy check;
    check.handle = curl_easy_init();
    bool ok = false;
    if (check.handle != nullptr) {
        CommonOptions(check.handle, m_folderUrl, check.error, m_abort, *m_tls);
        check.quote = curl_slist_append(nullptr, "PWD");
        curl_easy_setopt(check.handle, CURLOPT_QUOTE, check.quote);
        curl_easy_setopt(check.handle, CURLOPT_NOBODY, 1L);
        ok = m_curl->Perform(check.handle, m_abort) == CURLE_OK;
    }
    if (!ok) Close();
    return ok;
}

void CUpdateServerSession::Close() {
    m_open = false;
    // Cleaning the multi handle up closes the connections it keeps.
    m_curl.reset();
}

std::string CUpdateServerSession::FileUrl(std::string_view name) const {
    CURL* h = curl_easy_init();
    if (h == nullptr) return {};
    std::string url = m_folderUrl + Escape(h, name);
    curl_easy_cleanup(h);
    return url;
}

std::optional<std::vector<std::string>> CUpdateServerSession::List() {
    if (!m_open || !m_curl) return std::nullopt;
    SEasy list;
    list.handle = curl_easy_init();
    if (list.handle == nullptr) return std::nullopt;
    list.limit = kMaxListingBytes;
    CommonOptions(list.handle, m_folderUrl, list.error, m_abort, *m_tls);
    // Names only: nothing of the server's own listing format is relied on.
    curl_easy_setopt(list.handle, CURLOPT_DIRLISTONLY, 1L);
    curl_easy_setopt(list.handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(list.handle, CURLOPT_WRITEDATA, &list);
    const CURLcode rc = m_curl->Perform(list.handle, m_abort);
    if (rc != CURLE_OK) {
        if (list.tooLong)
            Fail(kIdListingTooLarge, Text::FormatString(kIdListingTooLarge, m_folder));
        else
            FailConnect(rc, list.error);
        return std::nullopt;
    }
    std::vector<std::string> names;
    std::string_view body = list.body;
    while (!body.empty()) {
        const std::size_t end = body.find_first_of("\r\n");
        const std::string_view line = body.substr(0, end);
        if (!line.empty()) names.emplace_back(line);
        if (end == std::string_view::npos) break;
        body.remove_prefix(end + 1);
    }
    return names;
}

std::optional<std::uint64_t> CUpdateServerSession::FileSize(std::string_view name) {
    if (!m_open || !m_curl || !IsSafeServerName(name)) return std::nullopt;
    SEasy size;
    size.handle = curl_easy_init();
    if (size.handle == nullptr) return std::nullopt;
    const std::string url = FileUrl(name);
    CommonOptions(size.handle, url, size.error, m_abort, *m_tls);
    curl_easy_setopt(size.handle, CURLOPT_NOBODY, 1L);
    if (m_curl->Perform(size.handle, m_abort) != CURLE_OK) return std::nullopt;
    curl_off_t length = -1;
    if (curl_easy_getinfo(size.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK || length < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(length);
}

std::optional<std::string> CUpdateServerSession::Fetch(std::string_view name, std::size_t maxBytes) {
    if (!m_open || !m_curl || !IsSafeServerName(name)) return std::nullopt;
    SEasy fetch;
    fetch.handle = curl_easy_init();
    if (fetch.handle == nullptr) return std::nullopt;
    fetch.limit = maxBytes;
    const std::string url = FileUrl(name);
    CommonOptions(fetch.handle, url, fetch.error, m_abort, *m_tls);
    curl_easy_setopt(fetch.handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(fetch.handle, CURLOPT_WRITEDATA, &fetch);
    if (m_curl->Perform(fetch.handle, m_abort) != CURLE_OK) return std::nullopt;
    return std::move(fetch.body);
}

std::unique_ptr<CFtpDownload> CUpdateServerSession::StartDownload(std::string_view name, std::uint64_t size,
                                                                  const std::filesystem::path& target,
                                                                  std::optional<CSha256::Digest> digest,
                                                                  bool* localFailed) {
    if (localFailed != nullptr) *localFailed = false;
    if (!m_open || !m_curl || !IsSafeServerName(name)) return nullptr;
    std::filesystem::path part = target;
    part += ".part";
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        if (localFailed != nullptr) *localFailed = true;
        Fail(kIdLocalWriteFailed, Text::FormatString(kIdLocalWriteFailed, target.u16string()));
        return nullptr;
    }
    std::unique_ptr<CFtpDownload> download(
        new CFtpDownload(*this, std::string(name), size, target, std::move(digest), fd));
    CURL* h = curl_easy_init();
    if (h == nullptr || curl_multi_add_handle(m_curl->multi, h) != CURLM_OK) {
        if (h) curl_easy_cleanup(h);
        download->Fail(kIdNoSession, Text::LoadString(kIdNoSession));
        return download;
    }
    download->m_easy = h;
    const std::string url = FileUrl(name);
    CommonOptions(h, url, download->m_errorBuffer, m_abort, *m_tls);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CFtpDownload::OnData);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, download.get());
    return download;
}

// ---------------------------------------------------------------------------

CFtpDownload::CFtpDownload(CUpdateServerSession& session, std::string name, std::uint64_t size,
                           std::filesystem::path target, std::optional<CSha256::Digest> digest, int fd)
    : m_session(session),
      m_name(std::move(name)),
      m_size(size),
      m_target(std::move(target)),
      m_digest(std::move(digest)),
      m_fd(fd) {
    m_part = m_target;
    m_part += ".part";
}

CFtpDownload::~CFtpDownload() {
    if (m_state == EState::Running) Cancel();
    Detach();
}

std::uint64_t CFtpDownload::ChunkSize(std::uint64_t size) {
    return std::max<std::uint64_t>(size / 10000, 64 * 1024);
}

void CFtpDownload::Detach() {
    if (m_easy != nullptr) {
        if (m_session.m_curl) curl_multi_remove_handle(m_session.m_curl->multi, m_easy);
        curl_easy_cleanup(m_easy);
        m_easy = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

std::size_t CFtpDownload::OnData(char* data, std::size_t size, std::size_t count, void* self) {
    auto* d = static_cast<CFtpDownload*>(self);
    const std::size_t n = size * count;
    // On a fast line libcurl would hand over data for as long as it keeps
    // coming; pausing at the step's goal keeps each step short.
    if (d->m_stepGoal != 0 && d->m_received >= d->m_stepGoal) {
        d->m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    // More than the listed size is as wrong as less, and must not fill the disk.
    if (d->m_received + n > d->m_size) {
        d->m_tooLong = true;
        return 0;
    }
    std::size_t written = 0;
    while (written < n) {
        const ssize_t w = ::write(d->m_fd, data + written, n - written);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            d->m_writeFailed = true;
            return 0;
        }
        written += static_cast<std::size_t>(w);
    }
    d->m_hash.Add(std::span(reinterpret_cast<const std::uint8_t*>(data), n));
    d->m_received += n;
#ifdef __linux__
    // Start writing to disk as the data comes, so that the flush at the end,
    // which the user waits for, has little left to do.
    constexpr std::uint64_t kWriteBehind = 4u << 20;
    if (d->m_received - d->m_writtenBack >= kWriteBehind) {
        ::sync_file_range(d->m_fd, static_cast<off_t>(d->m_writtenBack),
                          static_cast<off_t>(d->m_received - d->m_writtenBack), SYNC_FILE_RANGE_WRITE);
        d->m_writtenBack = d->m_received;
    }
#endif
    return n;
}

CFtpDownload::EState CFtpDownload::Step(std::uint64_t chunk) {
    if (m_state != EState::Running) return m_state;
    if (!m_session.m_curl) {
        Fail(kIdUnknownDownloadError, Text::LoadString(kIdUnknownDownloadError));
        return m_state;
    }
    CURLM* multi = m_session.m_curl->multi;
    const std::uint64_t goal = m_received + std::max<std::uint64_t>(chunk, 1);
    m_stepGoal = goal;
    const auto start = std::chrono::steady_clock::now();
    if (m_paused) {
        // Resuming hands over what libcurl kept back.
        m_paused = false;
        curl_easy_pause(m_easy, CURLPAUSE_CONT);
    }
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            Finish(CURLE_FAILED_INIT);
            return m_state;
        }
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &left))
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == m_easy) {
                Finish(msg->data.result);
                return m_state;
            }
        if (m_received >= goal || m_paused) return m_state;
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(10)) return m_state;
        curl_multi_poll(multi, nullptr, 0, 5, nullptr);
    }
}

void CFtpDownload::Fail(unsigned id, std::u16string text) {
    Detach();
    std::error_code ec;
    std::filesystem::remove(m_part, ec);
    m_state = EState::Failed;
    m_failure = text;
    m_session.Fail(id, std::move(text));
}

void CFtpDownload::Finish(int code) {
    const std::u16string name = Text::FromUtf8(m_name);
    if (m_writeFailed) {
        Fail(kIdLocalWriteFailed, Text::FormatString(kIdLocalWriteFailed, m_target.u16string()));
        return;
    }
    if (code != CURLE_OK || m_received != m_size) {
        const std::u16string detail =
            Text::FormatString(kIdSizeMismatch, std::to_string(m_received), std::to_string(m_size), name);
        Fail(kIdSizeMismatch, Text::LoadString(kIdUnknownDownloadError) + u"\n" + detail);
        return;
    }
    bool flushed = ::fsync(m_fd) == 0;
    flushed = ::close(m_fd) == 0 && flushed;
    m_fd = -1;
    if (!flushed) {
        Fail(kIdLocalWriteFailed, Text::FormatString(kIdLocalWriteFailed, m_target.u16string()));
        return;
    }
    if (m_digest && m_hash.Finish() != *m_digest) {
        Fail(kIdDigestMismatch, Text::FormatString(kIdDigestMismatch, name));
        return;
    }
    std::error_code ec;
    std::filesystem::rename(m_part, m_target, ec);
    if (ec) {
        Fail(kIdLocalWriteFailed, Text::FormatString(kIdLocalWriteFailed, m_target.u16string()));
        return;
    }
    Detach();
    m_state = EState::Done;
}

void CFtpDownload::Cancel() {
    if (m_state != EState::Running) return;
    Detach();
    std::error_code ec;
    std::filesystem::remove(m_part, ec);
    m_state = EState::Failed;
    m_failure.clear();
}

}  // namespace Update
