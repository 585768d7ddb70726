#include "SimHammer.h"

#include <cstring>
#include <utility>

#include "SimWire.h"

namespace Sim {

namespace {

constexpr std::uint8_t kTextStart = 0x10;
constexpr std::uint8_t kTextPrompt = 0x06;  // the hammer's answer to the text-command byte
constexpr std::uint8_t kCmdApplication = 0xD1;
constexpr std::uint8_t kCmdDeviceCode = 0xF1;
constexpr std::uint8_t kCmdControl = 0xF4;
constexpr std::uint8_t kCmdResync = 0xF6;
constexpr std::uint8_t kCmdUpdate = 0xF8;
constexpr std::uint8_t kResyncFrame[] = {0xC8, 0xF6, 0x00, 0x05, 0x55, 0x5A, 0xAA, 0xAF, 0xFF, 0xF0};

constexpr int kLongFrameQuietMs = 30;  // a long frame ends when the line falls quiet
constexpr int kRequestQuietMs = 1000;  // an unfinished request is given up after this
constexpr std::size_t kMaxText = 1100;
constexpr std::size_t kMaxLongFrame = 1 << 20;
constexpr std::size_t kMaxLog = 256;

std::vector<std::uint8_t> Counted(std::initializer_list<std::uint8_t> data) {
    std::vector<std::uint8_t> reply;
    reply.reserve(data.size() + 1);
    reply.push_back(static_cast<std::uint8_t>(data.size()));
    for (const std::uint8_t b : data) reply.push_back(b);
    return reply;
}

std::vector<std::uint8_t> Code(std::uint8_t code) {
    return {code};
}

bool IsOneByteRequest(std::uint8_t command, std::uint8_t sub) {
    return command == kCmdApplication && (sub == 0x10 || sub == 0x11 || sub == 0x13 || sub == 0x16);
}

// The hammer's own acceptance test for a custom statistics rule.
bool AcceptsStatistics(const SSimStatistics& s) {
    if (s.Mode != 2 && s.Mode != 5) return false;
    if (s.MinImpacts == 0 || s.MaxImpacts >= 100 || s.MaxImpacts < s.MinImpacts) return false;
    if (s.UpperOutliers + s.LowerOutliers >= s.MinImpacts) return false;
    const int half = s.MaxImpacts / 2 - 1;
    return s.UpperOutliers <= half && s.LowerOutliers <= half;
}

bool ValidClock(const std::uint8_t* c) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int month = c[1], day = c[2];
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const int year = 2000 + c[0];
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap) return false;
    return c[3] < 24 && c[4] < 60 && c[5] < 60;
}

}  // namespace

CSimHammer::CSimHammer(SSimState state, SSimFaults faults) : m_State(std::move(state)), m_Faults(faults) {
    if (m_Faults.Echo) m_State.Echo = true;
}

void CSimHammer::Receive(std::span<const std::uint8_t> bytes, std::vector<SSimOutput>& out) {
    std::lock_guard lock(m_Mutex);
    for (const std::uint8_t b : bytes) HandleByte(b, out);
}

int CSimHammer::QuietTimeoutMs() const {
    std::lock_guard lock(m_Mutex);
    switch (m_Parse) {
        case EParse::Idle:
            return -1;
        case EParse::Long:
            return kLongFrameQuietMs;
        default:
            return kRequestQuietMs;
    }
}

void CSimHammer::OnQuiet(std::vector<SSimOutput>& out) {
    std::lock_guard lock(m_Mutex);
    if (m_Parse == EParse::Long) {
        SSimRequest request;
        request.Kind = SSimRequest::Long;
        request.Command = m_Command;
        request.Payload = m_Payload;
        const bool gone = GoneAt(m_Seen);
        Log(std::move(request));
        // No request of this hammer needs a frame that long.
        if (!gone) Emit(Code(kCodeUnknown), false, out);
    } else if (m_Parse != EParse::Idle) {
        m_Noise += m_Payload.size() + m_Text.size() + 1;
    }
    m_Parse = EParse::Idle;
    m_Payload.clear();
    m_Text.clear();
}

void CSimHammer::OnHangUp() {
    std::lock_guard lock(m_Mutex);
    m_Parse = EParse::Idle;
    m_Payload.clear();
    m_Text.clear();
    m_Window.clear();
}

void CSimHammer::HandleByte(std::uint8_t b, std::vector<SSimOutput>& out) {
    m_Window.push_back(b);
    if (m_Window.size() > sizeof kResyncFrame) m_Window.erase(m_Window.begin());
    if (m_Window.size() == sizeof kResyncFrame &&
        std::memcmp(m_Window.data(), kResyncFrame, sizeof kResyncFrame) == 0) {
        // Whatever state the hammer was in, this frame brings it back.
        m_Window.clear();
        m_Parse = EParse::Idle;
        m_Payload.clear();
        m_Text.clear();
        SSimRequest request;
        request.Kind = SSimRequest::Resync;
        request.Command = kCmdResync;
        const bool gone = GoneAt(m_Seen);
        Log(std::move(request));
        if (!gone) Emit(Code(kCodeResync), false, out);
        return;
    }
    switch (m_Parse) {
        case EParse::Idle:
            if (b == kTextStart) {
                m_Parse = EParse::Text;
                m_Text.clear();
                if (!m_Faults.Mute && !GoneAt(m_Seen)) {
                    std::vector<std::uint8_t> prompt{kTextPrompt};
                    if (m_Faults.PromptStray >= 0)
                        prompt.push_back(static_cast<std::uint8_t>(m_Faults.PromptStray));
                    out.push_back({0, std::move(prompt)});
                }
            } else if (b >= 0xC0 && b <= 0xEF) {
                m_Expected = b - 0xC0u;
                m_Payload.clear();
                m_Parse = EParse::Command;
            } else {
                ++m_Noise;
            }
            break;
        case EParse::Command:
            m_Command = b;
            m_Parse = EParse::Payload;
            if (m_Expected == 0) FinishFrame(out);
            break;
        case EParse::Payload:
            m_Payload.push_back(b);
            if (m_Payload.size() == m_Expected) {
                // The long frame starts like a one-byte request; a request of
                // this hammer that takes one byte is answered, anything else
                // is read on until the line falls quiet.
                if (m_Expected == 1 &&
                    ((m_Command == kCmdApplication && !IsOneByteRequest(m_Command, m_Payload[0])) ||
                     m_Command == kCmdUpdate)) {
                    m_Parse = EParse::Long;
                } else {
                    FinishFrame(out);
                }
            }
            break;
        case EParse::Long:
            if (m_Payload.size() < kMaxLongFrame) m_Payload.push_back(b);
            break;
        case EParse::Text:
            if (b == 0x0D) {
                FinishText(out);
            } else if (m_Text.size() < kMaxText) {
                m_Text.push_back(static_cast<char>(b));
            }
            break;
    }
}

void CSimHammer::FinishFrame(std::vector<SSimOutput>& out) {
    m_Parse = EParse::Idle;
    SSimRequest request;
    request.Command = m_Command;
    request.Payload = m_Payload;
    const bool gone = GoneAt(m_Seen);
    Log(std::move(request));
    if (gone) {
        m_Payload.clear();
        return;
    }
    switch (m_Command) {
        case kCmdApplication: {
            bool faultable = true;
            auto reply = Application(m_Payload, faultable);
            Emit(std::move(reply), faultable, out);
            break;
        }
        case kCmdDeviceCode:
            if (!m_Payload.empty()) {
                Emit(Code(kCodeBadRequest), false, out);
            } else {
                const std::uint32_t c = m_State.DeviceCode;
                Emit(Counted({static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                              static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 24)}),
                     false, out);
            }
            break;
        case kCmdControl:
            Emit(Control(m_Payload), false, out);
            break;
        case kCmdResync:
            // A resynchronisation frame with another payload is not one.
            Emit(Code(kCodeBadRequest), false, out);
            break;
        default:
            Emit(Code(kCodeUnknown), false, out);
            break;
    }
    m_Payload.clear();
}

void CSimHammer::FinishText(std::vector<SSimOutput>& out) {
    m_Parse = EParse::Idle;
    const std::string command = m_Text;
    m_Text.clear();
    SSimRequest request;
    request.Kind = SSimRequest::Text;
    request.TextCommand = command;
    const bool gone = GoneAt(m_Seen);
    Log(std::move(request));
    if (gone) return;
    const bool echo = m_State.Echo;  // the line is answered in the echo state of its arrival
    const std::string answer = TextAnswer(command);
    std::string line = echo ? command + " " + answer + "\r\n" : answer + "\r";
    Emit(std::vector<std::uint8_t>(line.begin(), line.end()), false, out);
}

std::string CSimHammer::TextAnswer(const std::string& command) {
    const auto& id = m_State.Identity;
    if (command == "@ID@") {
        if (m_State.IdentifyReply) return *m_State.IdentifyReply;
        return id.DeviceType + ";" + id.HardwareRevision + ";" + id.SerialNumber + ";" + id.Signature + ";" +
               id.ApplicationVersion + ";" + id.BootloaderVersion;
    }
    if (command == "ID") return id.DeviceType + ";" + id.ApplicationVersion + ";" + id.SerialNumber;
    if (command == "EC?") return m_State.Echo ? "1" : "0";
    if (command == "EC1" || command == "EC0") {
        m_State.Echo = command == "EC1";
        return "OK";
    }
    if (command.empty()) return "";
    // File commands, logins and anything else: this hammer knows none of them.
    return "?";
}

std::vector<std::uint8_t> CSimHammer::Application(const std::vector<std::uint8_t>& p, bool& faultable) {
    faultable = true;
    if (m_Faults.DeviceError >= 0) return Code(static_cast<std::uint8_t>(m_Faults.DeviceError));
    if (p.empty()) return Code(kCodeBadRequest);
    const bool isNew = m_State.NewFormat;
    // The new layout marks its requests with 0x01 after the sub-command.
    auto newMark = [&]() { return p.size() >= 2 && p[1] == 0x01; };
    switch (p[0]) {
        case 0x06: {
            if (p.size() != (isNew ? 8u : 7u) || (isNew && !newMark())) return Code(kCodeBadRequest);
            const std::uint8_t* c = p.data() + (isNew ? 2 : 1);
            if (!ValidClock(c)) return Counted({0});
            m_State.Clock = {2000 + c[0], c[1], c[2], c[3], c[4], c[5]};
            m_State.ClockSet = true;
            return Counted({1});
        }
        case 0x10: {
            if (p.size() != 1) return Code(kCodeBadRequest);
            if (m_Faults.RefuseDownload || !m_State.DownloadSupported) return Counted({1});
            return DownloadReplyLocked();
        }
        case 0x11:
            if (p.size() != 1) return Code(kCodeBadRequest);
            m_State.Series.clear();
            return Counted({1});
        case 0x13: {
            if (p.size() != 1) return Code(kCodeBadRequest);
            std::vector<std::uint8_t> data;
            if (isNew) data.push_back(0x00);
            std::uint8_t flags = 0;
            for (int i = 0; i < 3; ++i) {
                if (m_State.Slots[i]) flags |= static_cast<std::uint8_t>(1u << i);
            }
            data.push_back(flags);
            for (const auto& slot : m_State.Slots) {
                if (!slot) continue;
                const auto bytes = isNew ? EncodeSlotNew(*slot) : EncodeSlotOld(*slot);
                data.insert(data.end(), bytes.begin(), bytes.end());
            }
            std::vector<std::uint8_t> reply{static_cast<std::uint8_t>(data.size())};
            reply.insert(reply.end(), data.begin(), data.end());
            return reply;
        }
        case 0x14: {
            const std::size_t head = isNew ? 3 : 2;
            const std::size_t body = isNew ? kSlotNewSize : kSlotOldSize;
            if (p.size() != head + body || (isNew && !newMark())) return Code(kCodeBadRequest);
            const std::uint8_t index = p[head - 1];
            if (index > 2) return Code(kCodeBadRequest);
            const std::span<const std::uint8_t> bytes(p.data() + head, body);
            m_State.Slots[index] = isNew ? DecodeSlotNew(bytes) : DecodeSlotOld(bytes);
            return Counted({1});
        }
        case 0x15: {
            if (p.size() != (isNew ? 3u : 2u) || (isNew && !newMark())) return Code(kCodeBadRequest);
            const std::uint8_t mask = p.back();
            for (int i = 0; i < 3; ++i) {
                if (mask & (1u << i)) m_State.Slots[i].reset();
            }
            return Counted({1});
        }
        case 0x16: {
            if (!isNew) return Code(kCodeUnknown);
            if (p.size() != 1) return Code(kCodeBadRequest);
            const SSimStatistics s = m_State.Statistics.value_or(SSimStatistics{});
            return Counted({0x00, s.Mode, s.MinImpacts, s.MaxImpacts, s.UpperOutliers, s.LowerOutliers});
        }
        case 0x17: {
            if (!isNew) return Code(kCodeUnknown);
            if (p.size() != 7 || !newMark()) return Code(kCodeBadRequest);
            const SSimStatistics s{p[2], p[3], p[4], p[5], p[6]};
            if (!AcceptsStatistics(s)) return Counted({0});
            m_State.Statistics = s;
            return Counted({1});
        }
        default:
            return Code(kCodeUnknown);
    }
}

std::vector<std::uint8_t> CSimHammer::Control(const std::vector<std::uint8_t>& p) {
    if (p.size() != 2) return Code(kCodeBadRequest);
    const std::uint8_t sub = p[0], arg = p[1];
    auto exists = [&](std::uint8_t m) {
        for (const auto mode : m_State.Modes) {
            if (mode == m) return true;
        }
        return false;
    };
    switch (sub) {
        case 0x00:
            return Counted({static_cast<std::uint8_t>(exists(arg) ? 1 : 0)});
        case 0x01:
            return Counted({static_cast<std::uint8_t>(m_State.ActiveMode == arg ? 1 : 0)});
        case 0x02:
            // The switch itself is not answered.
            if (exists(arg)) m_State.ActiveMode = arg;
            return {};
        case 0x03: {
            const std::uint32_t d = exists(arg) ? m_State.ModeSwitchMs : 0;
            return Counted({static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(d >> 8),
                            static_cast<std::uint8_t>(d >> 16)});
        }
        case 0x10:
            m_State.LinkOn = true;
            m_State.LinkSeconds = arg;
            return Counted({1});
        case 0x11:
            m_State.LinkOn = false;
            ++m_State.LinkOffCount;
            return Counted({1});
        case 0x12:
            return Counted({1});
        default:
            return Code(kCodeUnknown);
    }
}

std::vector<std::uint8_t> CSimHammer::BuildDownloadReply() const {
    std::lock_guard lock(m_Mutex);
    return DownloadReplyLocked();
}

std::vector<std::uint8_t> CSimHammer::DownloadReplyLocked() const {
    if (m_State.Series.empty()) return {0x00};  // acknowledged, nothing to send
    std::vector<std::uint8_t> data;
    if (m_State.NewFormat) {
        data.push_back(m_Faults.FormatByte >= 0 ? static_cast<std::uint8_t>(m_Faults.FormatByte)
                                                : m_State.FormatByte);
    }
    for (const auto& s : m_State.Series) {
        const auto record = m_State.NewFormat ? EncodeRecordNew(s) : EncodeRecordOld(s);
        data.insert(data.end(), record.begin(), record.end());
    }
    return EncodeExtendedReply(data, m_State.CheckKind, m_Faults.BadCheck);
}

void CSimHammer::Emit(std::vector<std::uint8_t> reply, bool applicationReply, std::vector<SSimOutput>& out) {
    if (m_Faults.Mute) return;
    if (m_Faults.Garbage) reply = Noise(1 + m_Random % 24);
    if (reply.empty()) return;
    const std::size_t first = out.size();
    if (applicationReply && !m_Faults.Garbage) {
        if (m_Faults.CutAfter >= 0 && reply.size() > static_cast<std::size_t>(m_Faults.CutAfter)) {
            reply.resize(static_cast<std::size_t>(m_Faults.CutAfter));
        }
        if (m_Faults.StallMs > 0 && reply.size() >= 2) {
            const std::size_t half = reply.size() / 2;
            out.push_back(
                {0, std::vector<std::uint8_t>(reply.begin(), reply.begin() + static_cast<long>(half))});
            reply.erase(reply.begin(), reply.begin() + static_cast<long>(half));
            out.push_back({m_Faults.StallMs, std::move(reply)});
            reply.clear();
        }
    }
    if (!reply.empty()) out.push_back({0, std::move(reply)});
    if (m_Faults.StrayBytes > 0) {
        // Noise travels with the reply's last piece, so that it has arrived before
        // the program's next request purges the line.
        const auto noise = Noise(static_cast<std::size_t>(m_Faults.StrayBytes));
        if (out.size() == first) out.push_back({0, {}});
        out.back().Bytes.insert(out.back().Bytes.end(), noise.begin(), noise.end());
    }
}

std::vector<std::uint8_t> CSimHammer::Noise(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes) {
        // xorshift64: cheap, and the same noise on every run.
        m_Random ^= m_Random << 13;
        m_Random ^= m_Random >> 7;
        m_Random ^= m_Random << 17;
        b = static_cast<std::uint8_t>(m_Random >> 24);
    }
    return bytes;
}

void CSimHammer::SetRequestObserver(std::function<void(const SSimRequest&)> observer) {
    std::lock_guard lock(m_Mutex);
    m_Observer = std::move(observer);
}

bool CSimHammer::GoneAt(std::uint64_t requests) const {
    return m_Faults.GoneAfter >= 0 && requests >= static_cast<std::uint64_t>(m_Faults.GoneAfter);
}

void CSimHammer::Log(SSimRequest request) {
    ++m_Seen;
    if (m_Observer) m_Observer(request);
    if (m_Requests.size() >= kMaxLog) m_Requests.erase(m_Requests.begin());
    m_Requests.push_back(std::move(request));
}

SSimState CSimHammer::GetState() const {
    std::lock_guard lock(m_Mutex);
    return m_State;
}

void CSimHammer::SetState(SSimState state) {
    std::lock_guard lock(m_Mutex);
    m_State = std::move(state);
}

SSimFaults CSimHammer::GetFaults() const {
    std::lock_guard lock(m_Mutex);
    return m_Faults;
}

void CSimHammer::SetFaults(const SSimFaults& faults) {
    std::lock_guard lock(m_Mutex);
    m_Faults = faults;
    if (m_Faults.Echo) m_State.Echo = true;
}

std::vector<SSimRequest> CSimHammer::GetRequests() const {
    std::lock_guard lock(m_Mutex);
    return m_Requests;
}

void CSimHammer::ClearRequests() {
    std::lock_guard lock(m_Mutex);
    m_Requests.clear();
}

std::size_t CSimHammer::GetNoiseCount() const {
    std::lock_guard lock(m_Mutex);
    return m_Noise;
}

}  // namespace Sim
