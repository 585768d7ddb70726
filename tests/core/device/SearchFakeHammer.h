#pragma once
// Small device doubles for search tests: a device class that identifies itself
// with "@ID@" through the engine, and a scripted answerer on the master side of a
// pseudo-terminal.
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "SerialPty.h"
#include "device/DeviceThread.h"
#include "device/ZvDevice.h"
#include "text/Encoding.h"

// Answers "@ID@" with "<type>;<serial>"; fails on anything else.
class CTestDevice : public Device::CZvDevice {
  public:
    // `holdUntilAbort`: after asking, the identification waits for the abort
    // flag (a device that takes its time, as a search must expect).
    explicit CTestDevice(bool holdUntilAbort = false)
        : CZvDevice(Device::TypeVantrel, "Talvenbrecker", Device::PortSerial, 5), m_Hold(holdUntilAbort) {
        GetSerialSettings().BaudRate = 38400;
        GetSerialSettings().ReadTimeout = 300;
        GetSerialSettings().WriteTimeout = 50;
    }
    std::unique_ptr<CZvDevice> CreateInstance() const override { return std::make_unique<CTestDevice>(); }
    bool Identify(Device::SShortIdentity& identity) override {
        Device::CZvCommands* engine = GetCommands();
        const bool answered = engine != nullptr && engine->SendText("@ID@", 300);
        for (int i = 0; m_Hold && i < 10000 && !Device::IsAbortRequested(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!answered) return false;
        const std::string& reply = engine->GetReply();
        const std::size_t split = reply.find(';');
        if (split == std::string::npos || split == 0 || split + 1 == reply.size()) return false;
        identity.DeviceType = reply.substr(0, split);
        identity.AppVersion = "1.0";
        identity.SerialNumber = reply.substr(split + 1);
        m_Serial = identity.SerialNumber;
        return true;
    }
    std::u16string GetInfoText() override { return u"Serial number:\t" + Text::Widen(m_Serial); }
    std::string GetSerialNumber() const override { return m_Serial; }
    bool GetContents(Device::CContents&) override { return false; }

  private:
    bool m_Hold;
    std::string m_Serial;
};

// The device end of a pseudo-terminal, answering text commands until destroyed.
class CFakeHammer {
  public:
    enum class EMode {
        Hammer,   // answers "@ID@" with its type and serial
        Garbage,  // answers every byte with bytes that never form a line
        Silent,   // never answers
    };

    explicit CFakeHammer(EMode mode, std::string serial = "12345")
        : m_Mode(mode), m_Serial(std::move(serial)) {
        m_Thread = std::thread([this] { Run(); });
    }
    ~CFakeHammer() {
        m_Stop = true;
        m_Thread.join();
    }
    CFakeHammer(const CFakeHammer&) = delete;
    CFakeHammer& operator=(const CFakeHammer&) = delete;

    const std::string& Path() const { return m_Pty.SlavePath(); }
    // Bytes the port has sent to this device.
    int BytesSeen() const { return m_Seen.load(); }

  private:
    void Run() {
        std::string command;
        bool inCommand = false;
        while (!m_Stop) {
            pollfd p{m_Pty.Master(), POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0) continue;
            std::uint8_t buffer[64];
            const ssize_t n = ::read(m_Pty.Master(), buffer, sizeof buffer);
            if (n <= 0) {
                // No port open on the other side yet (or any more).
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            m_Seen += static_cast<int>(n);
            for (ssize_t i = 0; i < n; ++i) Take(buffer[i], command, inCommand);
        }
    }

    void Take(std::uint8_t byte, std::string& command, bool& inCommand) {
        if (m_Mode == EMode::Silent) return;
        if (m_Mode == EMode::Garbage) {
            m_Pty.Send({0xFF, 0x55, 0x00});
            return;
        }
        if (byte == 0x10) {
            m_Pty.Send({0x06});
            command.clear();
            inCommand = true;
            return;
        }
        if (!inCommand) return;
        if (byte != '\r') {
            command += static_cast<char>(byte);
            return;
        }
        inCommand = false;
        const std::string answer = command == "@ID@" ? "N;" + m_Serial : "?";
        m_Pty.Send(std::vector<std::uint8_t>(answer.begin(), answer.end()));
        m_Pty.Send({'\r'});
    }

    CPtyPair m_Pty;
    EMode m_Mode;
    std::string m_Serial;
    std::atomic<bool> m_Stop{false};
    std::atomic<int> m_Seen{0};
    std::thread m_Thread;
};
