#pragma once
// The command-line program's connection to a hammer: on a port given by
// number (through the port table) or by device path, or found by scanning the
// existing serial ports and stopping at the first hammer that identifies.
// Ends with the hammer's link switched off and the port closed.
#include <memory>
#include <optional>
#include <string>

#include "RecordingHammer.h"

namespace Device {
class ITrafficLog;
}
namespace Text {
class IUserPrompt;
}

class CCliHammerSession {
  public:
    // Messages go to `prompt`; every byte exchanged goes to `log` when given.
    explicit CCliHammerSession(Text::IUserPrompt& prompt, Device::ITrafficLog* log = nullptr);
    ~CCliHammerSession();
    CCliHammerSession(const CCliHammerSession&) = delete;
    CCliHammerSession& operator=(const CCliHammerSession&) = delete;

    // `port`: a port number, a device path, or nothing to scan. Returns an
    // exit code: kExitOk with an identified hammer, kExitUsage for a port text
    // that is neither, kExitNoHammer (with its message shown) otherwise.
    int Connect(const std::optional<std::string>& port);
    // Link off, port closed, hammer discarded.
    void Disconnect();

    CRecordingHammer* Hammer() const { return m_hammer.get(); }
    // "COM1 (/dev/pts/4)" for the connected port.
    const std::string& PortText() const { return m_portText; }

  private:
    int ConnectPort(unsigned number, const std::string& path, const std::string& shown);
    int Scan();
    std::unique_ptr<CRecordingHammer> NewHammer() const;

    Text::IUserPrompt& m_prompt;
    Device::ITrafficLog* m_log;
    std::unique_ptr<CRecordingHammer> m_hammer;
    std::string m_portText;
};
