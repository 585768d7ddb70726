#include "device/ZvDevice.h"

#include <algorithm>
#include <vector>

#include "device/Callback.h"
#include "device/DeviceThread.h"
#include "streamio/IoStream.h"
#include "text/StringTable.h"

namespace Device {

namespace {

constexpr int kControlTimeoutMs = 4000;
constexpr int kSlowControlTimeoutMs = 20000;
constexpr int kDefaultTransactTimeoutMs = 1000;
constexpr int kDefaultReceiveTimeoutMs = 2000;
constexpr int kDefaultTextTimeoutMs = 1000;
constexpr int kQuickIdentifyTimeoutMs = 4000;
constexpr std::uint8_t kRestartMode = 12;
constexpr int kProgramTimeFloorMs = 2000;
constexpr int kProgramWaitFloorMs = 10000;

// String ids of the update texts.
constexpr unsigned kIdUploadFailed = 20023;
constexpr unsigned kIdProgramFailed = 20024;
constexpr unsigned kIdModeChangeFailed = 20025;
constexpr unsigned kIdCommFailure = 20016;
constexpr unsigned kIdFileReadFailed = 20026;
constexpr unsigned kIdWrongDevice = 20019;
constexpr unsigned kIdAborted = 20027;
constexpr unsigned kIdWrongHardware = 20021;
constexpr unsigned kIdOsTooOld = 20028;
constexpr unsigned kIdUnknownError = 20015;
constexpr unsigned kIdRestartAdvice = 20022;
constexpr unsigned kIdNoRemoteLogin = 20029;
constexpr unsigned kIdStatusChecks = 20010;
constexpr unsigned kIdStatusPrepare = 20011;
constexpr unsigned kIdStatusEnterMode = 20009;
constexpr unsigned kIdStatusTransfer = 20005;
constexpr unsigned kIdStatusWrite = 20008;
constexpr unsigned kIdStatusLeaveMode = 20012;
constexpr unsigned kIdStatusFinished = 20013;

bool AbortCheck(void*) {
    return IsAbortRequested();
}

}  // namespace

CZvDevice::CZvDevice(int typeCode, std::string name, std::uint32_t portMask, std::uint8_t familyCode)
    : m_TypeCode(typeCode), m_PortMask(portMask), m_Name(std::move(name)), m_FamilyCode(familyCode) {}

CZvDevice::~CZvDevice() {
    m_Engine.reset();
    if (m_Transport) m_Transport->CloseQuietly();
    m_Transport.reset();
    if (m_Source) m_Source->CloseQuietly();
    m_Source.reset();
}

std::u16string CZvDevice::GetErrorText(int code) const {
    unsigned id = 0;
    switch (code) {
        case kUpdateUploadFailed:
            id = kIdUploadFailed;
            break;
        case kUpdateProgramFailed:
            id = kIdProgramFailed;
            break;
        case kUpdateModeChangeFailed:
            id = kIdModeChangeFailed;
            break;
        case kUpdateCommFailure:
            id = kIdCommFailure;
            break;
        case kUpdateFileReadFailed:
            return Text::LoadString(kIdFileReadFailed);
        case kUpdateWrongDevice:
            return Text::LoadString(kIdWrongDevice);
        case kUpdateAborted:
            return Text::LoadString(kIdAborted);
        case kUpdateWrongHardware:
            return Text::LoadString(kIdWrongHardware);
        case kUpdateOsTooOld:
            return Text::LoadString(kIdOsTooOld);
        default:
            return Text::FormatString(kIdUnknownError, code) + Text::LoadString(kIdRestartAdvice);
    }
    return Text::LoadString(id) + Text::LoadString(kIdRestartAdvice);
}

bool CZvDevice::Attach(std::unique_ptr<StreamIO::CIoStream>&& stream, int portType) {
    if (m_Transport || m_PortType != PortNone) return false;
    if (portType != PortSerial && portType != PortUsb && portType != PortEthernet) return false;
    if (!stream || !stream->IsOpen()) return false;
    auto engine = std::make_unique<CZvCommands>(stream.get());
    engine->SetAbortCheck(&AbortCheck, nullptr);
    engine->SetTrafficLog(m_TrafficLog);
    engine->SetEcho(false, false);
    m_Transport = std::move(stream);
    m_PortType = portType;
    m_Engine = std::move(engine);
    return true;
}

std::unique_ptr<StreamIO::CIoStream> CZvDevice::Detach() {
    m_Engine.reset();
    m_PortType = PortNone;
    return std::move(m_Transport);
}

std::string CZvDevice::GetPortName() const {
    return m_Transport ? m_Transport->GetName() : std::string();
}

bool CZvDevice::SetSourceStream(std::unique_ptr<StreamIO::CIoStream>&& stream) {
    if (m_Source || !stream || !stream->IsOpen()) return false;
    m_Source = std::move(stream);
    return true;
}

std::unique_ptr<StreamIO::CIoStream> CZvDevice::TakeSourceStream() {
    return std::move(m_Source);
}

bool CZvDevice::SetCallback(CCallback* callback) {
    if (m_Callback != nullptr || callback == nullptr) return false;
    m_Callback = callback;
    return true;
}

CCallback* CZvDevice::TakeCallback() {
    CCallback* callback = m_Callback;
    m_Callback = nullptr;
    return callback;
}

void CZvDevice::SetTrafficLog(ITrafficLog* log) {
    m_TrafficLog = log;
    if (m_Engine) m_Engine->SetTrafficLog(log);
}

bool CZvDevice::Login(SLoginInfo& info) {
    info.User = Text::LoadString(kIdNoRemoteLogin);
    info.Password.clear();
    info.Flags = 6;
    info.Value = 0;
    return true;
}

bool CZvDevice::Logout() {
    m_Login.User.clear();
    m_Login.Password.clear();
    m_Login.Flags = 0;
    return true;
}

bool CZvDevice::SendLinkControl(bool on, std::uint32_t milliseconds) {
    if (!m_Engine) return false;
    std::uint8_t buffer[4] = {kCtlLinkOff, 0, 0, 0};
    if (on) {
        const std::uint64_t seconds = (std::uint64_t{milliseconds} + 999) / 1000;
        buffer[0] = kCtlLinkOn;
        buffer[1] = static_cast<std::uint8_t>(seconds % 255);
    }
    return m_Engine->Control(kCmdControl, 2, buffer, sizeof buffer, 1, kControlTimeoutMs) == 1;
}

bool CZvDevice::SlowControlRequest() {
    if (!m_Engine) return false;
    std::uint8_t buffer[4] = {kCtlSlowRequest, 0xD0, 0, 0};
    return m_Engine->Control(kCmdControl, 2, buffer, sizeof buffer, 1, kSlowControlTimeoutMs) == 1;
}

bool CZvDevice::ListDirectory(std::uint16_t selector, std::string& listing) {
    listing.clear();
    return m_Engine && m_Engine->ListDirectory(selector, listing);
}

bool CZvDevice::LoadFile(std::u16string_view devicePath, StreamIO::CIoStream& destination) {
    return m_Engine && m_Engine->LoadFile(devicePath, destination);
}

bool CZvDevice::SaveFile(std::u16string_view devicePath, StreamIO::CIoStream& source, std::uint32_t length) {
    return m_Engine && m_Engine->SaveFile(devicePath, source, length);
}

bool CZvDevice::RenameFile(std::u16string_view oldPath, std::u16string_view newPath) {
    return m_Engine && m_Engine->RenameFile(oldPath, newPath);
}

bool CZvDevice::DeleteFile(std::u16string_view devicePath) {
    return m_Engine && m_Engine->DeleteFile(devicePath);
}

bool CZvDevice::RemoteLogout() {
    return m_Engine && m_Engine->RemoteLogout();
}

bool CZvDevice::Restart() {
    if (!m_Transport || !m_Engine) return false;
    if (!m_Engine->ResyncLink()) return false;
    bool switched = false;
    return m_Engine->ChangeMode(kRestartMode, switched, m_Callback, 100);
}

bool CZvDevice::QuickIdentify(SShortIdentity& identity) {
    if (!m_Engine) return false;
    if (!m_Engine->SendText("ID", kQuickIdentifyTimeoutMs)) return false;
    std::vector<std::string> fields;
    std::string_view reply = m_Engine->GetReply();
    while (!reply.empty() && fields.size() < 3) {
        const std::size_t end = reply.find(';');
        const std::string_view field = reply.substr(0, end);
        if (!field.empty()) fields.emplace_back(field);
        reply = end == std::string_view::npos ? std::string_view{} : reply.substr(end + 1);
    }
    fields.resize(3);
    identity.DeviceType = fields[0];
    identity.AppVersion = fields[1];
    identity.SerialNumber = fields[2];
    return !fields[0].empty() && !fields[1].empty() && !fields[2].empty();
}

std::uint32_t CZvDevice::GetDeviceCode() {
    if (!m_Engine) return 0;
    std::uint8_t buffer[4] = {};
    if (m_Engine->Control(kCmdDeviceCode, 0, buffer, sizeof buffer, 4, kControlTimeoutMs) != 4)
        return 0xFFFFFFFFu;
    return std::uint32_t{buffer[0]} | (std::uint32_t{buffer[1]} << 8) | (std::uint32_t{buffer[2]} << 16) |
           (std::uint32_t{buffer[3]} << 24);
}

int CZvDevice::SendTextCommand(std::string_view command, char* reply, int size, int timeoutMs) {
    if (reply != nullptr && size > 0) reply[0] = '\0';
    if (!m_Engine || command.empty()) return 0;
    return m_Engine->QueryText(command, reply, size, timeoutMs < 0 ? kDefaultTextTimeoutMs : timeoutMs);
}

int CZvDevice::ReceiveData(std::uint8_t command, std::uint8_t* buffer, int payloadLength, int& received,
                           int capacity, int timeoutMs, int budgetMs) {
    received = 0;
    if (!m_Engine || buffer == nullptr || capacity <= 0) return kReceiveBadArguments;
    return m_Engine->ReceiveData(command, buffer, payloadLength, received, capacity,
                                 timeoutMs < 0 ? kDefaultReceiveTimeoutMs : timeoutMs, budgetMs, m_Callback);
}

int CZvDevice::Transact(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                        int timeoutMs) {
    if (!m_Engine || buffer == nullptr || capacity <= 0) return 0;
    return m_Engine->Transact(command, payloadLength, buffer, capacity,
                              timeoutMs < 0 ? kDefaultTransactTimeoutMs : timeoutMs);
}

bool CZvDevice::GetIdentity(SIdentity& identity) {
    (void)identity;
    return false;
}

// ---- Update steps ----------------------------------------------------------

void CZvDevice::ReportStatus(const std::u16string& text, bool withSuffix) {
    if (m_Callback == nullptr) return;
    m_Callback->OnStatus(withSuffix ? text + m_StatusSuffix : text);
}

namespace {

void ReportDone(CCallback* callback) {
    if (callback != nullptr && callback->IsProgressEnabled()) callback->OnProgress(100, 1, 0);
}

}  // namespace

int CZvDevice::SkipUpdateBlock(StreamIO::CIoStream& package, const SUpdateBlock& block) {
    if (IsAbortRequested()) return kUpdateAborted;
    try {
        if (package.IsRandomAccess()) {
            const std::uint64_t before = package.GetPosition();
            const std::uint64_t length = package.GetLength();
            if (length - std::min(before, length) < block.Length) return kUpdateFileReadFailed;
            package.Seek(static_cast<std::int64_t>(block.Length), StreamIO::kSeekCurrent);
            return kUpdateOk;
        }
        std::vector<std::uint8_t> scratch(std::min<std::uint32_t>(block.Length, 64 * 1024));
        std::uint32_t left = block.Length;
        while (left > 0) {
            const std::size_t step = std::min<std::size_t>(left, scratch.size());
            if (package.Read(scratch.data(), step) != step) return kUpdateFileReadFailed;
            left -= static_cast<std::uint32_t>(step);
        }
        return kUpdateOk;
    } catch (...) {
        return kUpdateFileReadFailed;
    }
}

int CZvDevice::CheckUpdateTarget(std::uint32_t packageDeviceCode) {
    if (IsAbortRequested()) return kUpdateAborted;
    ReportStatus(Text::LoadString(kIdStatusChecks), false);
    const std::uint32_t code = GetDeviceCode();
    if (code == 0xFFFFFFFFu || !m_Engine) return kUpdateCommFailure;
    return code == packageDeviceCode ? kUpdateOk : kUpdateWrongDevice;
}

int CZvDevice::PrepareUpdate() {
    if (IsAbortRequested()) return kUpdateAborted;
    ReportStatus(Text::LoadString(kIdStatusPrepare), false);
    return m_Engine ? kUpdateOk : kUpdateNoEngine;
}

int CZvDevice::SendPreambleOnce(std::uint8_t modeByte, bool switched,
                                std::span<const std::uint8_t> preamble) {
    if ((modeByte & 0x01) == 0 || (!switched && m_UpdateFlag != 0)) return kUpdateOk;
    if (!m_Engine->SendPreamble(preamble, GetChecksumMode())) return kUpdatePreambleFailed;
    m_UpdateFlag = 1;
    return kUpdateOk;
}

int CZvDevice::EnterUpdateMode(const SUpdateBlock& block, std::span<const std::uint8_t> preamble) {
    if (IsAbortRequested()) return kUpdateAborted;
    ReportStatus(Text::LoadString(kIdStatusEnterMode), true);
    if (!m_Engine) return kUpdateNoEngine;
    bool switched = false;
    if (!m_Engine->ChangeMode(block.EntryMode, switched, m_Callback, 100)) return kUpdateModeChangeFailed;
    if (const int code = SendPreambleOnce(block.EntryMode, switched, preamble); code != kUpdateOk)
        return code;
    ReportDone(m_Callback);
    return kUpdateOk;
}

int CZvDevice::SendUpdateData(StreamIO::CIoStream& package, const SUpdateBlock& block) {
    if (IsAbortRequested()) return kUpdateAborted;
    ReportStatus(Text::LoadString(kIdStatusTransfer), true);
    if (!m_Engine || !package.IsOpen()) return kUpdateNoEngine;
    const std::uint64_t sent =
        m_Engine->SendBlocks(package, block.Length, static_cast<std::uint32_t>(std::max(GetBlockSize(), 0)),
                             GetChecksumMode(), m_Callback);
    return sent < block.Length ? kUpdateUploadFailed : kUpdateOk;
}

int CZvDevice::WriteUpdate(const SUpdateBlock& block) {
    if (IsAbortRequested()) return kUpdateAborted;
    if ((block.ExitMode & SUpdateBlock::kExitWrite) == 0) return kUpdateOk;
    ReportStatus(Text::LoadString(kIdStatusWrite), true);
    if (!m_Engine) return kUpdateNoEngine;
    std::uint8_t buffer[4] = {0x04, 0, 0, 0};
    if (m_Engine->Control(kCmdUpdate, 1, buffer, sizeof buffer, 3, kControlTimeoutMs) != 3) {
        return kUpdateProgramFailed;
    }
    const int programMs = static_cast<int>(std::uint32_t{buffer[0]} | (std::uint32_t{buffer[1]} << 8) |
                                           (std::uint32_t{buffer[2]} << 16));
    if (m_Callback != nullptr && m_Callback->IsProgressEnabled()) {
        m_Callback->OnProgress(0, 2, std::max(programMs, kProgramTimeFloorMs));
    }
    const std::uint8_t request[1] = {0x02};
    if (m_Engine->TransactLong(kCmdUpdate, request, std::max(programMs, kProgramWaitFloorMs)) != 0) {
        return kUpdateProgramFailed;
    }
    return kUpdateOk;
}

int CZvDevice::LeaveUpdateMode(const SUpdateBlock& block, std::span<const std::uint8_t> preamble) {
    return LeaveUpdateModeWithFactor(block, preamble, 100);
}

int CZvDevice::LeaveUpdateModeWithFactor(const SUpdateBlock& block, std::span<const std::uint8_t> preamble,
                                         int timeFactor) {
    if (IsAbortRequested()) return kUpdateAborted;
    ReportStatus(Text::LoadString(kIdStatusLeaveMode), true);
    if (!m_Engine) return kUpdateNoEngine;
    bool switched = false;
    if ((block.ExitMode & 0x0F) != (block.EntryMode & 0x0F) || (block.ExitMode & 0x10) != 0) {
        if (!m_Engine->ChangeMode(block.ExitMode, switched, m_Callback, timeFactor)) {
            return kUpdateModeChangeFailed;
        }
    }
    if ((block.ExitMode & 0x01) != 0 && m_UpdateFlag == 0) {
        if (!m_Engine->SendPreamble(preamble, GetChecksumMode())) return kUpdatePreambleFailed;
        m_UpdateFlag = 1;
    }
    ReportDone(m_Callback);
    return kUpdateOk;
}

int CZvDevice::FinishUpdate() {
    if (IsAbortRequested()) return kUpdateAborted;
    ReportStatus(Text::LoadString(kIdStatusFinished), false);
    ReportDone(m_Callback);
    return kUpdateOk;
}

}  // namespace Device
