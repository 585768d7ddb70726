#include "device/ZvCommands.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <thread>

#include "device/Callback.h"
#include "device/Crc.h"
#include "device/TrafficLog.h"
#include "device/ZvCommandsShared.h"
#include "streamio/IoStream.h"
#include "text/Encoding.h"

namespace Device {

namespace {

constexpr std::size_t kReplyCapacity = 1024;  // text reply buffer, terminator included
constexpr int kControlMaxPayload = 30;
constexpr int kControlMaxCount = 239;
constexpr std::int32_t kControlTailMs = 50;
constexpr int kModeTimeoutMs = 4000;
constexpr std::uint8_t kResyncFrame[10] = {0xC8, 0xF6, 0x00, 0x05, 0x55, 0x5A, 0xAA, 0xAF, 0xFF, 0xF0};
constexpr std::uint8_t kResyncAnswer = 0xF0;
// A text line is read byte by byte into a buffer of this size at most, whatever
// size the caller asks for: the directory listing (1000000 characters) is the
// longest line the device library knows.
constexpr int kMaxLineBuffer = (1 << 20) + 64;
constexpr std::size_t kLogBatch = 4096;

}  // namespace

using namespace ZvDetail;


CZvCommands::CZvCommands(StreamIO::CIoStream* stream) : m_Stream(stream) {
    m_Reply.reserve(kReplyCapacity);
}

CZvCommands::~CZvCommands() = default;

void CZvCommands::SetAbortCheck(AbortCheck check, void* userData) {
    m_AbortCheck = check;
    m_AbortData = userData;
}

bool CZvCommands::IsAbortRequested() const {
    return m_AbortCheck != nullptr && m_AbortCheck(m_AbortData);
}

std::chrono::steady_clock::time_point CZvCommands::Now() const {
    return std::chrono::steady_clock::now();
}

void CZvCommands::Sleep(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void CZvCommands::Wait(std::int64_t milliseconds) {
    // Long waits come from the device's own figures; they are cut short when the
    // work is abandoned, so a garbled duration cannot hold a thread for hours.
    constexpr std::int64_t kSlice = 100;
    while (milliseconds > 0) {
        const std::int64_t step = std::min(milliseconds, kSlice);
        Sleep(static_cast<int>(step));
        milliseconds -= step;
        if (milliseconds > 0 && IsAbortRequested()) return;
    }
}

// ---- Stream access ---------------------------------------------------------

void CZvCommands::LogTraffic(ETrafficDirection direction, std::int64_t unixMs, const std::uint8_t* bytes,
                             std::size_t count) {
    try {
        m_Log->OnTraffic(direction, unixMs, std::span<const std::uint8_t>(bytes, count));
    } catch (...) {
        // A failing log must never break an exchange.
    }
}

std::int64_t CZvCommands::UnixMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void CZvCommands::FlushLog() {
    if (m_Log == nullptr || m_LogPending.empty()) return;
    LogTraffic(ETrafficDirection::Received, m_LogPendingMs, m_LogPending.data(), m_LogPending.size());
    m_LogPending.clear();
}

void CZvCommands::LogReceived(const std::uint8_t* bytes, std::size_t count) {
    if (m_Log == nullptr || count == 0) return;
    try {
        if (m_LogPending.empty()) m_LogPendingMs = UnixMs();
        m_LogPending.insert(m_LogPending.end(), bytes, bytes + count);
    } catch (...) {
        m_LogPending.clear();
        return;
    }
    if (m_LogPending.size() >= kLogBatch) FlushLog();
}

void CZvCommands::LogSent(const std::uint8_t* bytes, std::size_t count) {
    if (m_Log == nullptr || count == 0) return;
    FlushLog();
    LogTraffic(ETrafficDirection::Sent, UnixMs(), bytes, count);
}

std::size_t CZvCommands::ReadBytes(std::uint8_t* buffer, std::size_t count) {
    if (count == 0) return 0;
    std::size_t got = m_Stream->Read(buffer, count);
    got = std::min(got, count);
    if (m_Log != nullptr) LogReceived(buffer, got);
    return got;
}

bool CZvCommands::ReadOne(std::uint8_t& value) {
    return ReadBytes(&value, 1) == 1;
}

std::size_t CZvCommands::WriteBytes(const std::uint8_t* buffer, std::size_t count) {
    if (count == 0) return 0;
    std::size_t put = m_Stream->Write(buffer, count);
    put = std::min(put, count);
    if (m_Log != nullptr) LogSent(buffer, put);
    return put;
}

bool CZvCommands::WriteOne(std::uint8_t value) {
    return WriteBytes(&value, 1) == 1;
}

bool CZvCommands::WriteText(std::string_view text) {
    return WriteBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) == text.size();
}

void CZvCommands::Purge() {
    m_Stream->ClearInput();
}

bool CZvCommands::SetBothTimeouts(std::int32_t ms) {
    return m_Stream->SetTimeouts(ms, ms);
}

bool CZvCommands::DropBytes(std::uint64_t count) {
    std::uint8_t scratch[256];
    while (count > 0) {
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof scratch));
        const std::size_t got = ReadBytes(scratch, step);
        if (got == 0) return false;
        count -= got;
    }
    return true;
}

// ---- Binary requests -------------------------------------------------------

int CZvCommands::Transact(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                          int timeoutMs) {
    if (payloadLength < 0 || payloadLength > kMaxPayload || timeoutMs < 0 || capacity < 0 ||
        payloadLength > capacity || (capacity > 0 && buffer == nullptr)) {
        return kTransactBadArguments;
    }
    if (m_Stream == nullptr) return kTransactCommFailure;
    CLogScope scope(*this);
    try {
        return TransactImpl(command, payloadLength, buffer, capacity, timeoutMs);
    } catch (...) {
        return kTransactCommFailure;
    }
}

int CZvCommands::TransactImpl(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                              int timeoutMs) {
    Purge();
    const std::uint8_t head[2] = {static_cast<std::uint8_t>(kFrameBase + payloadLength), command};
    if (WriteBytes(head, 2) != 2) return kTransactCommFailure;
    if (!SetBothTimeouts(timeoutMs)) return kTransactCommFailure;
    if (payloadLength > 0 && WriteBytes(buffer, static_cast<std::size_t>(payloadLength)) !=
                                 static_cast<std::size_t>(payloadLength)) {
        return kTransactCommFailure;
    }

    std::uint8_t first = 0;
    if (!ReadOne(first)) return kTransactCommFailure;
    if (first == 0 || first >= kReplyFirstDeviceCode) return first;

    const auto cap = static_cast<std::size_t>(capacity);
    if (first == kReplyExtended) {
        std::uint8_t header[4];
        if (ReadBytes(header, 4) != 4) return kTransactCommFailure;
        const std::uint8_t kind = header[0];
        const std::size_t length = Le24(header + 1);
        const std::size_t total = length + CheckLength(kind);
        if (cap < total) {
            if (ReadBytes(buffer, cap) != cap) return kTransactCommFailure;
            if (!DropBytes(total - cap)) return kTransactCommFailure;
            return capacity;
        }
        if (ReadBytes(buffer, total) != total) return kTransactCommFailure;
        if (!VerifyCheck(kind, std::span<const std::uint8_t>(buffer, length), buffer + length)) {
            return kTransactCheckMismatch;
        }
        return static_cast<int>(length);
    }

    const std::size_t length = first;
    if (length <= cap) {
        if (ReadBytes(buffer, length) != length) return kTransactCommFailure;
        return first;
    }
    if (ReadBytes(buffer, cap) != cap) return kTransactCommFailure;
    if (!DropBytes(length - cap)) return kTransactCommFailure;
    return first;
}

int CZvCommands::ReceiveData(std::uint8_t command, std::uint8_t* buffer, int payloadLength, int& received,
                             int capacity, int timeoutMs, int budgetMs, CCallback* callback) {
    received = 0;
    if (payloadLength < 0 || payloadLength > kMaxPayload || timeoutMs < 0 || buffer == nullptr ||
        capacity < 0 || payloadLength > capacity) {
        return kReceiveBadArguments;
    }
    if (m_Stream == nullptr) return kReceiveCommFailure;
    CLogScope scope(*this);
    try {
        return ReceiveImpl(command, buffer, payloadLength, received, capacity, timeoutMs, budgetMs, callback);
    } catch (...) {
        return kReceiveCommFailure;
    }
}

int CZvCommands::ReceiveImpl(std::uint8_t command, std::uint8_t* buffer, int payloadLength, int& received,
                             int capacity, int timeoutMs, int budgetMs, CCallback* callback) {
    std::uint8_t frame[2 + kMaxPayload];
    frame[0] = static_cast<std::uint8_t>(kFrameBase + payloadLength);
    frame[1] = command;
    std::copy(buffer, buffer + payloadLength, frame + 2);
    const std::size_t frameLength = 2 + static_cast<std::size_t>(payloadLength);

    Purge();
    if (!SetBothTimeouts(timeoutMs)) return kReceiveCommFailure;
    if (WriteBytes(frame, frameLength) != frameLength) return kReceiveCommFailure;

    std::uint8_t first = 0;
    if (!ReadOne(first)) return kReceiveCommFailure;
    if (first == 0) return kReceiveOk;
    if (first >= kReplyFirstDeviceCode) {
        if (capacity > 0) buffer[0] = first;
        return kReceiveCommFailure;
    }

    const auto cap = static_cast<std::size_t>(capacity);
    if (first == kReplyExtended) {
        std::uint8_t header[4];
        if (ReadBytes(header, 4) != 4) return kReceiveCommFailure;
        const std::uint8_t kind = header[0];
        const std::size_t length = Le24(header + 1);
        const std::size_t total = length + CheckLength(kind);
        if (cap < total) {
            const std::size_t got = ReadBytes(buffer, cap);
            if (got != cap) {
                received = static_cast<int>(got);
                return kReceiveCommFailure;
            }
            DropBytes(total - cap);
            received = static_cast<int>(total);
            return kReceiveOverflow;
        }

        // The budget only applies when it leaves room for at least two reads.
        const bool budgeted =
            budgetMs >= 0 && static_cast<std::int64_t>(budgetMs) >= 2 * std::int64_t{timeoutMs};
        const bool progress = callback != nullptr;
        std::size_t got = 0;
        std::chrono::steady_clock::time_point start{};
        bool started = false;
        while (got < total) {
            if (!started) {
                start = Now();
                started = true;
            }
            const std::size_t step = ReadBytes(buffer + got, total - got);
            got += step;
            received = static_cast<int>(got);
            if (progress && callback->IsProgressEnabled()) {
                callback->OnProgress(static_cast<int>(got * 100 / total), 1, 0);
            }
            if (step == 0) break;
            if (budgeted) {
                const auto elapsed =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Now() - start).count();
                if (std::int64_t{budgetMs} - elapsed <= timeoutMs) break;
            }
        }
        if (got < total) return kReceiveCommFailure;
        if (!VerifyCheck(kind, std::span<const std::uint8_t>(buffer, length), buffer + length)) {
            received = static_cast<int>(length);
            return kReceiveCheckMismatch;
        }
        received = static_cast<int>(length);
        return kReceiveOk;
    }

    const std::size_t length = first;
    if (length <= cap) {
        const std::size_t got = ReadBytes(buffer, length);
        received = static_cast<int>(got);
        return got == length ? kReceiveOk : kReceiveCommFailure;
    }
    const std::size_t got = ReadBytes(buffer, cap);
    if (got != cap) {
        received = static_cast<int>(got);
        return kReceiveCommFailure;
    }
    DropBytes(length - cap);
    received = static_cast<int>(length);
    return kReceiveOverflow;
}

int CZvCommands::Control(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                         int expected, int timeoutMs) {
    if (payloadLength < 0 || payloadLength > kControlMaxPayload || expected > kControlMaxCount ||
        timeoutMs < 0 || capacity < 0 || payloadLength > capacity || (capacity > 0 && buffer == nullptr)) {
        return -1;
    }
    if (m_Stream == nullptr) return -1;
    CLogScope scope(*this);
    bool lowered = false;
    try {
        return ControlImpl(command, payloadLength, buffer, capacity, expected, timeoutMs, lowered);
    } catch (...) {
        if (lowered) {
            try {
                SetBothTimeouts(timeoutMs);
            } catch (...) {
                // The exchange has failed already; the next one sets its own time-outs.
            }
        }
        return -1;
    }
}

int CZvCommands::ControlImpl(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                             int expected, int timeoutMs, bool& lowered) {
    std::uint8_t frame[2 + kControlMaxPayload];
    frame[0] = static_cast<std::uint8_t>(kFrameBase + payloadLength);
    frame[1] = command;
    std::copy(buffer, buffer + payloadLength, frame + 2);
    const std::size_t frameLength = 2 + static_cast<std::size_t>(payloadLength);

    Purge();
    if (WriteBytes(frame, frameLength) != frameLength) return -1;
    if (expected == 0) return 0;

    if (!SetBothTimeouts(timeoutMs)) return -1;
    std::uint8_t count = 0;
    if (!ReadOne(count)) return -1;
    if (count > kControlMaxCount) return -1;
    if (expected > 0 && count != expected) return -1;
    if (count > capacity) return -1;

    int got = 0;
    for (int i = 0; i < count; ++i) {
        std::uint8_t value = 0;
        if (!ReadOne(value)) break;
        buffer[i] = value;
        ++got;
        if (i == 0 && timeoutMs > kControlTailMs) {
            lowered = true;
            SetBothTimeouts(kControlTailMs);
        }
    }
    if (lowered) {
        SetBothTimeouts(timeoutMs);
        lowered = false;
    }
    return got;
}

bool CZvCommands::ResyncLink() {
    if (m_Stream == nullptr) return false;
    CLogScope scope(*this);
    try {
        if (!m_Stream->SetTimeouts(2500, 500)) return false;
        for (int round = 0; round < 3; ++round) {
            if (WriteBytes(kResyncFrame, sizeof kResyncFrame) != sizeof kResyncFrame) return false;
            Sleep(50);
            for (int i = 0; i < 3; ++i) {
                std::uint8_t value = 0;
                if (!ReadOne(value)) break;
                if (value == kResyncAnswer) return true;
            }
        }
        return false;
    } catch (...) {
        return false;
    }
}

int CZvCommands::TransactLong(std::uint8_t command, std::span<const std::uint8_t> payload, int timeoutMs) {
    if (timeoutMs < 0) return kTransactBadArguments;
    if (m_Stream == nullptr) return kTransactCommFailure;
    CLogScope scope(*this);
    try {
        Purge();
        const std::uint8_t head[2] = {static_cast<std::uint8_t>(kFrameBase + 1), command};
        if (WriteBytes(head, 2) != 2) return kTransactCommFailure;
        if (!SetBothTimeouts(timeoutMs)) return kTransactCommFailure;
        if (!payload.empty() && WriteBytes(payload.data(), payload.size()) != payload.size()) {
            return kTransactCommFailure;
        }
        std::uint8_t status = 0;
        if (!ReadOne(status)) return kTransactCommFailure;
        if (status == 0 || status >= kReplyFirstDeviceCode) return status;
        return kTransactCommFailure;
    } catch (...) {
        return kTransactCommFailure;
    }
}

// ---- Text commands ---------------------------------------------------------

int CZvCommands::ReadLine(char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    buffer[0] = '\0';
    if (m_Stream == nullptr) return 0;
    CLogScope scope(*this);
    try {
        return ReadLineImpl(buffer, size);
    } catch (...) {
        buffer[0] = '\0';
        return 0;
    }
}

int CZvCommands::ReadLineImpl(char* buffer, int size) {
    int stored = 0;
    while (stored < size - 1) {
        std::uint8_t value = 0;
        if (!ReadOne(value)) {
            // A line that ends in CR alone (an echoing device that sends no LF)
            // is complete once nothing more comes.
            const bool complete = stored > 0 && buffer[stored - 1] == '\r';
            buffer[complete ? stored : 0] = '\0';
            return complete ? stored : 0;
        }
        buffer[stored++] = static_cast<char>(value);
        if (value == '\n') break;
        if (value == '\r' && m_Echo == 0) break;
    }
    buffer[stored] = '\0';
    return stored;
}

int CZvCommands::TextExchange(std::string_view command, int timeoutMs, std::vector<char>& line,
                              int lineSize) {
    Purge();
    if (!WriteOne(kTextStart)) return -1;
    if (!SetBothTimeouts(timeoutMs)) return 0;
    std::uint8_t answer = 0;
    if (!ReadOne(answer)) return -1;
    // Whatever came with the prompt byte is noise; left in the line it would be
    // read as the start of the answer.
    Purge();
    if (!command.empty() && !WriteText(command)) return -1;
    if (!WriteOne('\r')) return -1;
    line.assign(static_cast<std::size_t>(lineSize) + 1, '\0');
    if (ReadLineImpl(line.data(), lineSize) == 0) return -1;
    return 1;
}

bool CZvCommands::SendText(std::string_view command, int timeoutMs) {
    m_Reply.clear();
    if (m_Stream == nullptr || timeoutMs < 0) return false;
    CLogScope scope(*this);
    try {
        std::vector<char> buffer;
        if (TextExchange(command, timeoutMs, buffer, 1023) != 1) return false;
        if (command.empty()) return true;
        std::string_view line(buffer.data());
        std::string_view answer = line;
        if (line.find('\n') != std::string_view::npos) {
            const std::size_t space = line.find(' ');
            if (space == std::string_view::npos || space + 1 >= line.size()) return false;
            answer = line.substr(space + 1);
        }
        if (const std::size_t cr = answer.find('\r'); cr != std::string_view::npos)
            answer = answer.substr(0, cr);
        if (answer.size() > kReplyCapacity - 1) return false;
        if (answer.empty()) return true;
        m_Reply.assign(answer);
        return answer.find('?') == std::string_view::npos;
    } catch (...) {
        return false;
    }
}

int CZvCommands::QueryText(std::string_view command, char* destination, int size, int timeoutMs) {
    if (destination != nullptr && size > 0) destination[0] = '\0';
    if (destination == nullptr || size <= 1) return 0;
    std::string answer;
    const int length = QueryText(command, answer, size - 1, timeoutMs);
    const std::size_t copied = std::min(answer.size(), static_cast<std::size_t>(size - 1));
    std::copy(answer.begin(), answer.begin() + static_cast<std::ptrdiff_t>(copied), destination);
    destination[copied] = '\0';
    return length;
}

int CZvCommands::QueryText(std::string_view command, std::string& answer, int maxLength, int timeoutMs) {
    answer.clear();
    if (maxLength < 1) return 0;
    if (m_Stream == nullptr || timeoutMs < 0) return 0;
    CLogScope scope(*this);
    try {
        // For an answer of n - 1 characters the line may hold n + 19 bytes: the
        // echo and the line end come with it.
        const int lineLimit = std::min(maxLength, kMaxLineBuffer - 20) + 20;
        std::vector<char> buffer;
        const int outcome = TextExchange(command, timeoutMs, buffer, lineLimit);
        if (outcome != 1) return outcome;
        if (command.empty()) {
            answer = "?";
            return 1;
        }
        std::string_view line(buffer.data());
        std::string_view text = line;
        if (line.find('\n') != std::string_view::npos) {
            const std::size_t space = line.find(' ');
            if (space == std::string_view::npos || space + 1 >= line.size()) return 0;
            text = line.substr(space + 1);
        }
        if (const std::size_t cr = text.rfind('\r'); cr != std::string_view::npos) text = text.substr(0, cr);
        answer.assign(text.substr(0, static_cast<std::size_t>(maxLength)));
        return static_cast<int>(text.size());
    } catch (...) {
        answer.clear();
        return 0;
    }
}

bool CZvCommands::SetEcho(bool on, bool probe) {
    if (!probe) {
        m_Echo = on ? 1 : 0;
        return true;
    }
    if (m_Stream == nullptr) return false;
    CLogScope scope(*this);
    try {
        if (!m_Stream->SetTimeouts(8000, 4000)) return false;
        Purge();
        if (!WriteOne(kTextStart)) return false;
        std::uint8_t answer = 0;
        if (!ReadOne(answer)) return false;
        Purge();
        if (!WriteText("EC?\r")) return false;
        m_Echo = 0;
        char line[1024];
        const int length = ReadLineImpl(line, 1023);
        if (length == 0) return false;
        // An echoing device repeats "EC?" before its answer and ends with CR LF.
        if (length > 5 &&
            std::string_view(line, static_cast<std::size_t>(length)).find('\r') != std::string_view::npos) {
            std::uint8_t lineFeed = 0;
            if (!ReadOne(lineFeed) || lineFeed != '\n') return false;
            m_Echo = 1;
        }
    } catch (...) {
        return false;
    }
    if (on && m_Echo == 0) {
        if (!SendText("EC1", kShortCommandTimeoutMs)) return false;
        m_Echo = 1;
    } else if (!on && m_Echo != 0) {
        if (!SendText("EC0", kShortCommandTimeoutMs)) return false;
        m_Echo = 0;
    }
    return true;
}

std::int32_t CZvCommands::ComputeTransferTimeout(std::uint64_t count, std::uint64_t size,
                                                 std::uint32_t bytesPerSecond) {
    if (bytesPerSecond == 0) bytesPerSecond = 16000;
    constexpr std::uint64_t kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    // Saturate instead of wrapping: a huge transfer gets the longest time-out.
    constexpr std::uint64_t kLimit = std::numeric_limits<std::uint64_t>::max() / 1000;
    std::uint64_t t = kMax;
    if (size == 0 || count <= kLimit / size) {
        const std::uint64_t ms = count * size * 1000 / bytesPerSecond + 200;
        t = std::min(ms, kMax);
    }
    t = std::max<std::uint64_t>(t, 4000);
    return static_cast<std::int32_t>(t);
}

bool CZvCommands::TransferTimeout(std::uint32_t count, std::uint32_t size) {
    if (m_Stream == nullptr) return false;
    try {
        return SetBothTimeouts(ComputeTransferTimeout(count, size, m_Stream->GetByteRate()));
    } catch (...) {
        return false;
    }
}

bool CZvCommands::ControlByte(std::uint8_t subCode, std::uint8_t argument, int expected,
                              std::uint8_t* reply) {
    std::uint8_t buffer[4] = {subCode, argument, 0, 0};
    const int got = Control(kCmdControl, 2, buffer, sizeof buffer, expected, kModeTimeoutMs);
    if (got != expected) return false;
    std::copy(buffer, buffer + std::max(expected, 0), reply);
    return true;
}

bool CZvCommands::ChangeMode(std::uint8_t mode, bool& switched, CCallback* callback, int timeFactor) {
    switched = false;
    if (m_Stream == nullptr) return false;
    if (timeFactor <= 0) timeFactor = 100;
    const std::uint8_t target = mode & 0x0F;
    const bool leavesPort = (mode & 0x10) != 0;
    try {
        std::uint8_t reply[3] = {};
        if (!ControlByte(kCtlModeExists, target, 1, reply) || reply[0] != 1) return false;
        if (!ControlByte(kCtlModeActive, target, 1, reply)) return false;
        if (reply[0] == 1) {
            if (leavesPort) {
                m_Stream->CloseQuietly();
                if (!m_Stream->Reopen()) return false;
            }
            return true;
        }

        std::uint32_t duration = 0;
        if (target != 0) {
            if (!ControlByte(kCtlModeTime, target, 3, reply)) return false;
            duration = Le24(reply);
            if (duration == 0) return false;
        }
        std::uint8_t none[1];
        if (!ControlByte(kCtlModeSwitch, target, 0, none)) return false;
        switched = true;
        if (target == 0) return true;
        if ((mode & 0x2F) == 0x21) return true;

        if (duration > 100 && callback != nullptr && callback->IsProgressEnabled()) {
            callback->OnProgress(0, 1, static_cast<int>(duration + 100));
        }
        if (leavesPort) {
            Sleep(100);
            m_Stream->CloseQuietly();
        }
        Wait(static_cast<std::int64_t>(timeFactor) * duration / 100);
        if (leavesPort && !m_Stream->Reopen()) return false;

        const std::uint8_t check = (mode & 0x1F) == 0x14 ? 12 : target;
        return ControlByte(kCtlModeActive, check, 1, reply) && reply[0] == 1;
    } catch (...) {
        return false;
    }
}

}  // namespace Device
