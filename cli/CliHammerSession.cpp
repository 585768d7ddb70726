#include "CliHammerSession.h"

#include "CliStrings.h"
#include "ExitCodes.h"
#include "device/Callback.h"
#include "device/DeviceSearch.h"
#include "device/DeviceThread.h"
#include "device/DeviceTypes.h"
#include "device/PortOpenFailure.h"
#include "device/PortTable.h"
#include "streamio/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/IpStream.h"
#include "streamio/Rs232Stream.h"
#include "text/Encoding.h"
#include "text/StringTable.h"
#include "tools/ToolStrings.h"

namespace {

// Keeps the first hammer a search hands over; later ones are let go.
class CFirstHammer : public Device::CCallback {
  public:
    void OnDevice(std::unique_ptr<Device::CZvDevice> device) override {
        if (!device || m_hammer) return;
        if (auto* hammer = dynamic_cast<CRecordingHammer*>(device.get())) {
            device.release();
            m_hammer.reset(hammer);
        }
    }
    std::unique_ptr<CRecordingHammer> m_hammer;
};

std::optional<unsigned> PortNumberOfName(const std::string& name) {
    const std::string prefix = "\\\\.\\COM";
    if (!name.starts_with(prefix)) return std::nullopt;
    unsigned n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > Device::CPortTable::kMaxPort) return std::nullopt;
        n = n * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return n;
}

}  // namespace

CCliHammerSession::CCliHammerSession(Text::IUserPrompt& prompt, Device::ITrafficLog* log)
    : m_prompt(prompt), m_log(log) {}

CCliHammerSession::~CCliHammerSession() {
    Disconnect();
}

std::unique_ptr<CRecordingHammer> CCliHammerSession::NewHammer() const {
    auto hammer = std::make_unique<CRecordingHammer>();
    if (m_log) hammer->SetTrafficLog(m_log);
    return hammer;
}

int CCliHammerSession::Connect(const std::optional<std::string>& port) {
    Disconnect();
    if (!port) return Scan();
    const Device::CPortTable table = Device::CPortTable::Current();
    bool digits = !port->empty();
    for (char c : *port) digits = digits && c >= '0' && c <= '9';
    if (digits) {
        if (port->size() > 4 || std::stoul(*port) < 1) return kExitUsage;
        const unsigned number = static_cast<unsigned>(std::stoul(*port));
        const std::optional<std::string> path = table.PathOf(number);
        if (!path) {
            Tools::ShowToolText(m_prompt, kIdNoSuchPort,
                                Tools::FormatToolString(kIdNoSuchPort, "COM" + std::to_string(number)),
                                Text::MsgIcon::Error);
            return kExitNoHammer;
        }
        return ConnectPort(number, *path, table.DisplayName(number));
    }
    // "IP:host:port": a hammer behind a network bridge, named directly.
    if (StreamIO::IsIpName(*port)) {
        if (!StreamIO::ParseIpName(*port)) return kExitUsage;
        const std::optional<unsigned> number = table.NumberOf(*port);
        return ConnectPort(number.value_or(0), *port, number ? table.DisplayName(*number) : *port);
    }
    if (port->find('/') == std::string::npos) return kExitUsage;
    const std::optional<unsigned> number = table.NumberOf(*port);
    return ConnectPort(number.value_or(0), *port, number ? table.DisplayName(*number) : *port);
}

int CCliHammerSession::ConnectPort(unsigned number, const std::string& path, const std::string& shown) {
    auto hammer = NewHammer();
    std::unique_ptr<StreamIO::CIoStream> stream;
    bool open = false;
    Device::SPortOpenFailure failure{path};
    try {
        constexpr std::uint32_t mode = StreamIO::kOpenRead | StreamIO::kOpenWrite;
        if (StreamIO::IsIpName(path)) {
            stream = std::make_unique<StreamIO::CIpStream>();
            open = stream->Open(path, mode);
        } else {
            auto serial = std::make_unique<StreamIO::CRs232Stream>();
            open = number != 0 ? serial->OpenPort(number, mode, &hammer->GetSerialSettings(), path)
                               : serial->OpenPath(path, mode, &hammer->GetSerialSettings());
            stream = std::move(serial);
        }
        if (!open) failure.Code = stream->GetLastError();
    } catch (const StreamIO::CFileException& e) {
        open = false;
        failure = Device::PortOpenFailureOf(path, e);
    }
    if (!open || !hammer->Attach(std::move(stream), Device::PortSerial)) {
        // The reason only when the open itself failed.
        const std::u16string text =
            open ? Text::LoadString(kIdCouldNotOpenPort) : Device::CannotOpenPortText(failure);
        Tools::ShowToolText(m_prompt, kIdCouldNotOpenPort, Text::FromUtf8(shown) + u": " + text,
                            Text::MsgIcon::Error);
        return kExitNoHammer;
    }
    Device::SShortIdentity identity;
    if (!hammer->Identify(identity)) {
        Tools::ShowToolText(m_prompt, kIdNoAnswerOn, Tools::FormatToolString(kIdNoAnswerOn, shown),
                            Text::MsgIcon::Error);
        if (StreamIO::CIoStream* s = hammer->GetStream()) s->CloseQuietly();
        return kExitNoHammer;
    }
    m_hammer = std::move(hammer);
    m_portText = shown;
    return kExitOk;
}

int CCliHammerSession::Scan() {
    CFirstHammer found;
    Device::SJobEntry job;
    job.JobType = Device::JobSearch;
    job.Callback = &found;
    job.DeviceType = Device::TypeVantrel;
    job.PortType = Device::PortSerial;
    job.Scan = true;
    job.StopAfterFirst = true;
    Device::ITrafficLog* log = m_log;
    job.Factory = [log](int typeCode) -> std::unique_ptr<Device::CZvDevice> {
        if (typeCode != Device::TypeVantrel) return nullptr;
        auto hammer = std::make_unique<CRecordingHammer>();
        if (log) hammer->SetTrafficLog(log);
        return hammer;
    };
    Device::ClearAbort();
    Device::RunSearchJob(job);
    if (!found.m_hammer) {
        Text::ShowMessageId(m_prompt, kIdNoDeviceFound, Text::MsgIcon::Error);
        return kExitNoHammer;
    }
    m_hammer = std::move(found.m_hammer);
    const Device::CPortTable table = Device::CPortTable::Current();
    std::string name = m_hammer->GetPortName();
    // An IP stream keeps its name without the prefix; the port table, and
    // --port, know it with it.
    if (dynamic_cast<StreamIO::CIpStream*>(m_hammer->GetStream()) != nullptr) name = "IP:" + name;
    std::optional<unsigned> number = PortNumberOfName(name);
    if (!number) number = table.NumberOf(name);
    m_portText = number ? table.DisplayName(*number) : name;
    return kExitOk;
}

void CCliHammerSession::Disconnect() {
    if (!m_hammer) return;
    m_hammer->SendLinkControl(false, 0);
    if (StreamIO::CIoStream* stream = m_hammer->GetStream()) stream->CloseQuietly();
    m_hammer.reset();
    m_portText.clear();
}
