#include "device/VantrelDevice.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "device/Contents.h"
#include "device/IdentifyReply.h"
#include "device/ZvCommands.h"
#include "streamio/IoStream.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

namespace Device {

namespace {

constexpr unsigned kStrInfoText = 20017;
constexpr std::string_view kIdentifyCommand = "@ID@";
constexpr std::uint8_t kRestartMode = 24;

}  // namespace

CVantrelDevice::CVantrelDevice() : CZvDevice(kTypeCode, "Talvenbrecker", kPortMask, kFamilyCode) {
    auto& s = GetSerialSettings();
    s.BaudRate = 38400;
    s.Flow = SSerialSettings::kFlowCts;
    s.ReadTimeout = 1000;
    s.WriteTimeout = 50;
}

CVantrelDevice::~CVantrelDevice() = default;

std::unique_ptr<CZvDevice> CVantrelDevice::CreateInstance() const {
    return std::make_unique<CVantrelDevice>();
}

bool CVantrelDevice::Attach(std::unique_ptr<StreamIO::CIoStream>&& stream, int portType) {
    if (!CZvDevice::Attach(std::move(stream), portType)) return false;
    if (auto* engine = GetCommands()) engine->SetEcho(false, false);
    return true;
}

bool CVantrelDevice::Restart() {
    auto* engine = GetCommands();
    if (!GetStream() || !engine) return false;
    if (!engine->ResyncLink()) return false;
    bool switched = false;
    engine->ChangeMode(kRestartMode, switched, GetCallback(), 100);
    return true;
}

bool CVantrelDevice::Identify(SShortIdentity& identity) {
    try {
        auto* stream = GetStream();
        auto* engine = GetCommands();
        if (!stream || !stream->IsOpen() || !engine) return false;
        if (!engine->SendText(kIdentifyCommand, kRequestTimeoutMs)) return false;
        std::string_view reply = engine->GetReply();
        // A hammer whose echo was left on repeats our command before its answer;
        // the engine (echo off) keeps it in the line. It is never part of a field.
        const std::string echoed = std::string(kIdentifyCommand) + " ";
        if (reply.substr(0, echoed.size()) == echoed) reply.remove_prefix(echoed.size());

        const SIdentifyOutcome outcome = ParseIdentifyReply(reply, m_Identity, m_NewFormat, GetFamilyCode());
        if (!outcome.FieldsRead) return false;
        identity.DeviceType = m_Identity.DeviceType;
        identity.AppVersion = m_Identity.AppVersion;
        identity.SerialNumber = m_Identity.SerialNumber;
        if (!outcome.Signature) return false;
        if (outcome.NewFormat) m_NewFormat = true;
        if (outcome.DownloadSupport) m_DownloadSupport = outcome.DownloadSupport;
        return outcome.Success;
    } catch (const std::exception&) {
        return false;
    }
}

std::u16string CVantrelDevice::GetInfoText() {
    try {
        const auto& id = m_Identity;
        m_InfoText = Text::FormatString(
            kStrInfoText, Text::FromCp1252(id.DeviceType), Text::FromCp1252(id.SerialNumber),
            Text::FromCp1252(id.AppVersion), Text::FromCp1252(id.HardwareRevision),
            Text::FromCp1252(id.BootloaderVersion), Text::FromCp1252(id.Signature));
    } catch (const std::exception&) {
        m_InfoText.clear();
    }
    return m_InfoText;
}

bool CVantrelDevice::GetContents(CContents& contents) {
    try {
        if (m_Identity.AppVersion.empty()) {
            SShortIdentity scratch;
            if (!Identify(scratch)) return false;
        }
        contents.Clear();
        SContentEntry application;
        application.FlagA = 1;
        application.FlagB = 1;
        application.Kind = kContentApplication;
        application.Version = CVersion::Parse(std::string_view(m_Identity.AppVersion));
        contents.Add(std::move(application));
        SContentEntry bootloader;
        bootloader.Kind = kContentBootloader;
        bootloader.Version = CVersion::Parse(std::string_view(m_Identity.BootloaderVersion));
        contents.Add(std::move(bootloader));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int CVantrelDevice::Transact(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                             int timeoutMs) {
    if (payloadLength <= kMaxPayload - 1) {
        return CZvDevice::Transact(command, payloadLength, buffer, capacity, timeoutMs);
    }
    auto* engine = GetCommands();
    if (!engine || !buffer || capacity <= 0) return 0;
    // The payload lives in the caller's buffer: never read past its capacity.
    if (payloadLength > capacity) return kTransactBadArguments;
    return engine->TransactLong(
        command, std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(payloadLength)),
        timeoutMs < 0 ? 1000 : timeoutMs);
}

bool CVantrelDevice::GetIdentity(SIdentity& identity) {
    identity = m_Identity;
    return true;
}

int CVantrelDevice::LeaveUpdateMode(const SUpdateBlock& block, std::span<const std::uint8_t> preamble) {
    return LeaveUpdateModeWithFactor(block, preamble, 150);
}

std::vector<std::uint8_t> CVantrelDevice::BuildClockPayload(std::time_t time, bool newFormat) {
    std::vector<std::uint8_t> payload{kSubSetClock};
    if (newFormat) payload.push_back(kNewFormatMark);
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr) {
        payload.insert(payload.end(), {48, 0, 0, 255, 255, 255});
        return payload;
    }
    const long long year = static_cast<long long>(local.tm_year) + 1900;
    // The low 8 bits of the year plus 48: the year minus 2000 for 2000 to 2255.
    payload.push_back(static_cast<std::uint8_t>((year & 0xFF) + 48));
    payload.push_back(static_cast<std::uint8_t>(local.tm_mon + 1));
    payload.push_back(static_cast<std::uint8_t>(local.tm_mday));
    payload.push_back(static_cast<std::uint8_t>(local.tm_hour));
    payload.push_back(static_cast<std::uint8_t>(local.tm_min));
    payload.push_back(static_cast<std::uint8_t>(local.tm_sec));
    return payload;
}

bool CVantrelDevice::SimpleRequest(std::span<const std::uint8_t> payload, int capacity) {
    // The payload goes out from the buffer that receives the reply.
    std::vector<std::uint8_t> buffer(std::max(payload.size(), static_cast<std::size_t>(capacity)), 0);
    std::copy(payload.begin(), payload.end(), buffer.begin());
    const int r = Transact(kCmdApplication, static_cast<int>(payload.size()), buffer.data(), capacity,
                           kRequestTimeoutMs);
    return r == 1 && buffer[0] == 1;
}

bool CVantrelDevice::SetClock(std::time_t time) {
    try {
        const auto payload = BuildClockPayload(time, m_NewFormat);
        return SimpleRequest(payload, static_cast<int>(payload.size()));
    } catch (const std::exception&) {
        return false;
    }
}

int CVantrelDevice::DownloadAllSeries(SDownloadResult& result) {
    try {
        result.Series.clear();
        result.FormatByte = 0;
        std::vector<std::uint8_t> buffer(kDownloadCapacity, 0);
        buffer[0] = kSubDownload;
        int received = 0;
        const int code = ReceiveData(kCmdApplication, buffer.data(), 1, received, kDownloadCapacity,
                                     kRequestTimeoutMs, kDownloadBudgetMs);
        if (code != kReceiveOk) return code;
        if (received < 0 || received > kDownloadCapacity) return kReceiveCommFailure;
        if ((received == 1 && buffer[0] == 1) || (received == 2 && buffer[1] == 1)) return kDownloadRefused;
        const std::span<const std::uint8_t> bytes(buffer.data(), static_cast<std::size_t>(received));
        return m_NewFormat ? DecodeSeriesNewFormat(bytes, m_Identity, result)
                           : DecodeSeriesOldFormat(bytes, m_Identity, result);
    } catch (const std::exception&) {
        result.Series.clear();
        return kReceiveCommFailure;
    }
}

bool CVantrelDevice::DeleteAllSeries() {
    try {
        const std::uint8_t payload[] = {kSubDeleteAll};
        return SimpleRequest(payload, 16);
    } catch (const std::exception&) {
        return false;
    }
}

bool CVantrelDevice::ReadCurveSlots(SCurveSlot& c1, SCurveSlot& c2, SCurveSlot& c3) {
    std::array<SCurveSlot, 3> slots;
    slots.fill(SCurveSlot::Prepared());
    bool ok = false;
    try {
        std::vector<std::uint8_t> buffer(1000, 0);
        buffer[0] = kSubReadSlots;
        const int r =
            Transact(kCmdApplication, 1, buffer.data(), static_cast<int>(buffer.size()), kRequestTimeoutMs);
        ok = DecodeCurveSlots(r, buffer, m_NewFormat, slots);
    } catch (const std::exception&) {
        ok = false;
        slots.fill(SCurveSlot::Prepared());
    }
    c1 = slots[0];
    c2 = slots[1];
    c3 = slots[2];
    return ok;
}

bool CVantrelDevice::WriteCurveSlot(int index, const SCurveSlot& slot) {
    if (index < 0 || index > 2) return false;
    try {
        std::vector<std::uint8_t> payload{kSubWriteSlot};
        if (m_NewFormat) payload.push_back(kNewFormatMark);
        payload.push_back(static_cast<std::uint8_t>(index));
        const auto bytes = EncodeCurveSlot(slot, m_NewFormat);
        payload.insert(payload.end(), bytes.begin(), bytes.end());
        return SimpleRequest(payload, 1000);
    } catch (const std::exception&) {
        return false;
    }
}

bool CVantrelDevice::DeleteCurveSlots(std::uint8_t mask) {
    try {
        std::vector<std::uint8_t> payload{kSubDeleteSlots};
        if (m_NewFormat) payload.push_back(kNewFormatMark);
        payload.push_back(mask);
        return SimpleRequest(payload, 10);
    } catch (const std::exception&) {
        return false;
    }
}

bool CVantrelDevice::ReadCustomStatistics(SCustomStatistics& statistics) {
    if (!m_NewFormat) return false;
    try {
        std::vector<std::uint8_t> buffer(2048, 0);
        buffer[0] = kSubReadStatistics;
        if (Transact(kCmdApplication, 1, buffer.data(), static_cast<int>(buffer.size()), kRequestTimeoutMs) !=
            6) {
            return false;
        }
        // Reply byte 0 is not used.
        statistics = {buffer[1], buffer[2], buffer[3], buffer[4], buffer[5]};
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CVantrelDevice::WriteCustomStatistics(const SCustomStatistics& statistics) {
    if (!m_NewFormat) return false;
    try {
        const std::uint8_t payload[] = {
            kSubWriteStatistics,   kNewFormatMark,           statistics.AveragingMode, statistics.MinImpacts,
            statistics.MaxImpacts, statistics.UpperOutliers, statistics.LowerOutliers};
        return SimpleRequest(payload, 2048);
    } catch (const std::exception&) {
        return false;
    }
}

void CVantrelDevice::ClosePort() {
    if (auto* stream = GetStream()) stream->CloseQuietly();
}

}  // namespace Device
