#pragma once
// The two streams of a HID probe device: the control channel on feature
// reports and the data channel on input reports (framing in HidReport.h),
// sharing the device's handle through CUsbHostProbeManager.
//
// Both poll: a read polls the device until the bytes asked for have come, a
// control write until the device has consumed each report. Between two polls
// that brought nothing they pause the poll interval (0: no pause). A poll
// loop ends with 1460 when its time-out has passed since the operation began,
// and with whatever it has (38 when nothing) when CancelIo is called from
// another thread during the operation; Interrupt ends this and every later
// operation. A report that breaks the framing raises 13 with the stream's name.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "streamio/HidReport.h"
#include "streamio/UsbBackend.h"
#include "streamio/UsbHostProbeManager.h"
#include "streamio/UsbStreamBase.h"

namespace StreamIO {

class CUsbHostProbeBase : public CUsbStreamBase {
  public:
    // Takes the channel of the device `name` names from the manager, which
    // shares the device's handle between the two channels, then lets the
    // channel check and set itself up (Attach).
    bool Open(const std::string& name, std::uint32_t flags) override;
    bool IsOpen() const override { return m_Device != nullptr; }
    void SetPollInterval(std::int32_t ms) { m_PollMs = ms; }

  protected:
    explicit CUsbHostProbeBase(EHidChannel channel) : m_Channel(channel) {}
    // The channel's own part of opening, with m_Path set and the device not
    // yet kept: 0, or the code Open fails with after letting the channel go.
    virtual std::int32_t Attach(IHidDevice& device) = 0;
    void Pause() const;
    static bool Expired(std::chrono::steady_clock::time_point start, std::int32_t ms);

    std::string m_Path;
    std::shared_ptr<IHidDevice> m_Device;
    std::int32_t m_PollMs = 1;

  private:
    const EHidChannel m_Channel;
};

class CUsbHostProbeControl : public CUsbHostProbeBase {
  public:
    CUsbHostProbeControl() : CUsbHostProbeBase(EHidChannel::Control) {}
    ~CUsbHostProbeControl() override;

    void Close() override;
    // Bytes of the current device report not yet handed out.
    std::size_t GetInputCount() override;
    void ClearInput() override;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;

  private:
    std::int32_t Attach(IHidDevice& device) override;
    // One poll of the device's report; takes its payload when it is new.
    // Returns the report's status.
    SHidStatus Poll();
    void Acknowledge();

    std::size_t m_Length = 0;
    std::vector<std::uint8_t> m_Report;  // the last report polled
    std::vector<std::uint8_t> m_In;      // payload of the report being taken
    std::size_t m_InAt = 0;
    bool m_Taken = false;  // a report was taken: m_LastTaken means something
    bool m_Acked = true;   // the device was told that it was all taken
    std::uint8_t m_LastTaken = 0;
    std::uint8_t m_OutSequence = 7;  // so the first report goes out as 0
};

class CUsbHostProbeData : public CUsbHostProbeBase {
  public:
    CUsbHostProbeData() : CUsbHostProbeBase(EHidChannel::Data) {}
    ~CUsbHostProbeData() override;

    void Close() override;
    std::size_t GetInputCount() override { return m_Report.size() - m_At; }
    void ClearInput() override { m_At = m_Report.size(); }
    std::size_t Read(void* buffer, std::size_t count) override;
    // The data channel only brings data in.
    std::size_t Write(const void* buffer, std::size_t count) override;

  private:
    std::int32_t Attach(IHidDevice& device) override;

    std::unique_ptr<IHidDevice> m_Input;  // its own handle for the input reports
    std::vector<std::uint8_t> m_Report;   // payload of the last report
    std::size_t m_At = 0;
    bool m_HaveSequence = false;
    std::uint8_t m_Sequence = 0;
};

}  // namespace StreamIO
