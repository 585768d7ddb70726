#pragma once
// The base of every device class: one open stream to the instrument (owned), the
// protocol engine on it, the serial settings the device wants, the callback that
// receives progress, remote login data and the update steps.
//
// A device object is used by one thread at a time. A search creates, attaches and
// identifies it on the worker thread and hands it over with CCallback::OnDevice;
// from then on only the receiver uses it.
//
// Lifecycle: created (no transport, no engine) -> Attach (owns an open stream,
// engine with echo off) -> Detach (gives the stream back; can be attached again)
// -> destroyed (closes and deletes any transport).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "device/DeviceTypes.h"
#include "device/Identity.h"
#include "device/LoginInfo.h"
#include "device/SerialSettings.h"
#include "device/UpdateBlock.h"
#include "device/ZvCommands.h"

namespace StreamIO {
class CIoStream;
}

namespace Device {

class CCallback;
class CContents;
class ITrafficLog;

// Update step codes (GetErrorText).
inline constexpr int kUpdateOk = 0;
inline constexpr int kUpdateNoEngine = 1;
inline constexpr int kUpdatePreambleFailed = 2;
inline constexpr int kUpdateUploadFailed = 3;
inline constexpr int kUpdateProgramFailed = 4;
inline constexpr int kUpdateModeChangeFailed = 5;
inline constexpr int kUpdateCommFailure = 6;
inline constexpr int kUpdateFileReadFailed = 7;
inline constexpr int kUpdateWrongDevice = 8;
inline constexpr int kUpdateAborted = 9;
inline constexpr int kUpdateWrongHardware = 10;
inline constexpr int kUpdateOsTooOld = 11;

class CZvDevice {
  public:
    virtual ~CZvDevice();
    CZvDevice(const CZvDevice&) = delete;
    CZvDevice& operator=(const CZvDevice&) = delete;

    // A new default object of the same class.
    virtual std::unique_ptr<CZvDevice> CreateInstance() const = 0;
    // The text for an update step code, with the restart advice for codes 3 to 6
    // and unknown codes.
    virtual std::u16string GetErrorText(int code) const;

    // Takes `stream` as the transport. Fails when a transport or port type is
    // already set, the port type is not 1, 2 or 4, or the stream is missing or
    // not open. A std::unique_ptr<CIoStream> is moved from only on success (the
    // caller keeps a refused stream); a pointer to a derived stream type is
    // converted into a temporary first and is gone either way. Creates a fresh engine with the abort
    // check of the device worker thread and echo off (no exchange).
    virtual bool Attach(std::unique_ptr<StreamIO::CIoStream>&& stream, int portType);
    // Gives the transport back (the caller owns it) and deletes the engine.
    virtual std::unique_ptr<StreamIO::CIoStream> Detach();
    StreamIO::CIoStream* GetStream() const { return m_Transport.get(); }
    // The transport's name ("\\.\COM3" for serial port 3); empty without one.
    virtual std::string GetPortName() const;
    int GetPortType() const { return m_PortType; }

    // The stream that holds update data; the device owns it while set.
    bool SetSourceStream(std::unique_ptr<StreamIO::CIoStream>&& stream);
    std::unique_ptr<StreamIO::CIoStream> TakeSourceStream();
    StreamIO::CIoStream* GetSourceStream() const { return m_Source.get(); }

    // Sets the callback (not owned) only when none is set and `callback` is not
    // null.
    bool SetCallback(CCallback* callback);
    CCallback* TakeCallback();
    CCallback* GetCallback() const { return m_Callback; }

    // Every byte the engine exchanges goes to `log` (not owned; nullptr: off),
    // also for engines created by later Attach calls.
    void SetTrafficLog(ITrafficLog* log);
    ITrafficLog* GetTrafficLog() const { return m_TrafficLog; }

    virtual int GetBlockSize() const { return 32768; }
    virtual int GetChecksumMode() const { return 2; }
    SSerialSettings& GetSerialSettings() { return m_SerialSettings; }
    const SSerialSettings& GetSerialSettings() const { return m_SerialSettings; }

    // Base: no remote login; `info` becomes the message "No remote login
    // implemented." with flags 6, and the call succeeds.
    virtual bool Login(SLoginInfo& info);
    // Clears the stored login texts and flags.
    virtual bool Logout();
    const SLoginInfo& GetLoginInfo() const { return m_Login; }

    // Link control [0x10, seconds mod 255] (seconds rounded up) or [0x11, 0];
    // true when the one reply byte came within 4000 ms.
    virtual bool SendLinkControl(bool on, std::uint32_t milliseconds);
    // [0x12, 0xD0], one reply byte within 20000 ms.
    virtual bool SlowControlRequest();

    // File commands, forwarded to the engine; false without one.
    virtual bool ListDirectory(std::uint16_t selector, std::string& listing);
    virtual bool LoadFile(std::u16string_view devicePath, StreamIO::CIoStream& destination);
    virtual bool SaveFile(std::u16string_view devicePath, StreamIO::CIoStream& source, std::uint32_t length);
    virtual bool RenameFile(std::u16string_view oldPath, std::u16string_view newPath);
    virtual bool DeleteFile(std::u16string_view devicePath);
    virtual bool RemoteLogout();

    // ResyncLink, then ChangeMode to mode 12 with factor 100; needs transport and
    // engine.
    virtual bool Restart();
    virtual bool Identify(SShortIdentity& identity) = 0;
    virtual std::u16string GetInfoText() = 0;
    virtual std::string GetSerialNumber() const = 0;
    virtual bool GetContents(CContents& contents) = 0;
    // Text command "ID" (4000 ms): device type, application version and serial
    // number separated by ";" (empty fields skipped); true when all three came.
    virtual bool QuickIdentify(SShortIdentity& identity);
    // 0xF1: 4 bytes within 4000 ms, least significant first; 0xFFFFFFFF when fewer
    // came, 0 without an engine.
    virtual std::uint32_t GetDeviceCode();
    // QueryText into `reply` (`size` bytes); a negative time-out means 1000 ms.
    // 0 without an engine or command.
    virtual int SendTextCommand(std::string_view command, char* reply, int size, int timeoutMs);
    // The engine's ReceiveData with the device's callback; a negative time-out
    // means 2000 ms. 1 without engine or buffer or with a capacity of 0 or less.
    virtual int ReceiveData(std::uint8_t command, std::uint8_t* buffer, int payloadLength, int& received,
                            int capacity, int timeoutMs, int budgetMs);
    void SetUpdateFlag(std::uint8_t flag) { m_UpdateFlag = flag; }
    std::uint8_t GetUpdateFlag() const { return m_UpdateFlag; }
    // The engine's Transact; a negative time-out means 1000 ms. 0 without engine
    // or buffer or with a capacity of 0 or less.
    virtual int Transact(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                         int timeoutMs);

    // Update steps; each returns 0 or an update code and first returns 9 when the
    // worker thread's abort flag is set. Status texts go to the callback with
    // the status suffix where the step's block matters.
    virtual int SkipUpdateBlock(StreamIO::CIoStream& package, const SUpdateBlock& block);
    // Compares GetDeviceCode with the package's device code: 6 no answer, 8 another.
    virtual int CheckUpdateTarget(std::uint32_t packageDeviceCode);
    virtual int PrepareUpdate();
    // `preamble` is the package's 128-byte block.
    virtual int EnterUpdateMode(const SUpdateBlock& block, std::span<const std::uint8_t> preamble);
    virtual int SendUpdateData(StreamIO::CIoStream& package, const SUpdateBlock& block);
    virtual int WriteUpdate(const SUpdateBlock& block);
    virtual int LeaveUpdateMode(const SUpdateBlock& block, std::span<const std::uint8_t> preamble);
    virtual int FinishUpdate();
    // Appended to the status texts of the block steps (" [2/5]").
    void SetStatusSuffix(std::u16string suffix) { m_StatusSuffix = std::move(suffix); }
    const std::u16string& GetStatusSuffix() const { return m_StatusSuffix; }

    // Six identification texts; only devices that cache them return true.
    virtual bool GetIdentity(SIdentity& identity);

    int GetTypeCode() const { return m_TypeCode; }
    std::uint32_t GetPortMask() const { return m_PortMask; }
    const std::string& GetName() const { return m_Name; }
    std::uint8_t GetFamilyCode() const { return m_FamilyCode; }
    // The engine, or nullptr while detached.
    CZvCommands* GetCommands() const { return m_Engine.get(); }

  protected:
    // A derived class states its type code, family name, supported port types
    // (NPorts bits) and the family code its signature's top byte must carry.
    CZvDevice(int typeCode, std::string name, std::uint32_t portMask, std::uint8_t familyCode);

    // LeaveUpdateMode with a chosen ChangeMode time factor (percent).
    int LeaveUpdateModeWithFactor(const SUpdateBlock& block, std::span<const std::uint8_t> preamble,
                                  int timeFactor);
    // Reports `text` (and the status suffix when asked) through the callback.
    void ReportStatus(const std::u16string& text, bool withSuffix);

  private:
    int SendPreambleOnce(std::uint8_t modeByte, bool switched, std::span<const std::uint8_t> preamble);

    std::unique_ptr<StreamIO::CIoStream> m_Source;
    std::unique_ptr<StreamIO::CIoStream> m_Transport;
    int m_PortType = PortNone;
    CCallback* m_Callback = nullptr;
    SSerialSettings m_SerialSettings;
    std::unique_ptr<CZvCommands> m_Engine;
    SLoginInfo m_Login;
    std::uint8_t m_UpdateFlag = 0;
    std::u16string m_StatusSuffix;
    int m_TypeCode;
    std::uint32_t m_PortMask;
    std::string m_Name;
    std::uint8_t m_FamilyCode;
    ITrafficLog* m_TrafficLog = nullptr;
};

}  // namespace Device
