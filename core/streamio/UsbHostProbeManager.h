#pragma once
// The HID devices that the probe streams share: one handle per device node,
// used by a control and a data channel with a use count each, and closed
// when both have let go. One manager per process, made at first use.
//
// Stream names are "HID:" and the device node ("HID:/dev/hidraw3"), as
// ListUsbProbeDevices gives them: the hidraw nodes of the maker's vendor
// number.
//
// Device events: elsewhere other programs announce attached and detached
// devices and a request to close through named events shared between
// processes. Linux has no such events, so here the wait can only end by its
// time-out (kDeviceEventTimeout) or by this process's own close event
// (SignalClose, kDeviceEventClose); kDeviceEventAttach and kDeviceEventDetach
// keep their values for callers written against them but never come.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "streamio/UsbBackend.h"

namespace StreamIO {

enum class EHidChannel { Control, Data };

enum : int {
    kDeviceEventTimeout = 1,
    kDeviceEventAttach = 2,
    kDeviceEventDetach = 4,
    kDeviceEventClose = 8,
};

// Whether `name` names a probe stream ("HID:" in any letter case).
bool IsUsbProbeName(std::string_view name);
// The device node of a probe stream name (the name without "HID:").
std::string UsbProbePath(std::string_view name);
// The present HID devices of the maker; empty when there are none.
std::vector<std::string> ListUsbProbeDevices();

class CUsbHostProbeManager {
  public:
    static CUsbHostProbeManager& Instance();

    // The backend of every later open and list (tests put a peer in; nullptr
    // restores the kernel's).
    void SetBackend(std::shared_ptr<IHidBackend> backend);
    std::shared_ptr<IHidBackend> Backend();

    // The shared handle of the device node for one more user of `channel`;
    // nullptr with `code` set when the node cannot be opened.
    std::shared_ptr<IHidDevice> OpenChannel(const std::string& path, EHidChannel channel, std::int32_t& code);
    // One user of `channel` less; the handle is closed when no channel uses
    // it. 0 or the code of a failed close.
    std::int32_t ReleaseChannel(const std::string& path, EHidChannel channel);
    // The open handle of a node, or nullptr.
    std::shared_ptr<IHidDevice> Find(const std::string& path);

    // Waits at most `ms` (-1: no limit) for a device event.
    int WaitForDeviceEvent(std::int32_t ms);
    // The close event: manual reset, like the named one it stands for.
    void SignalClose();
    void ResetClose();
    int WaitingThreads();

  private:
    CUsbHostProbeManager() = default;

    struct SDeviceData {
        std::string Path;
        std::shared_ptr<IHidDevice> Handle;
        int ControlUses = 0;
        int DataUses = 0;
    };

    std::recursive_mutex m_Lock;
    std::shared_ptr<IHidBackend> m_Backend;
    std::vector<SDeviceData> m_Devices;
    std::mutex m_EventLock;
    std::condition_variable m_Event;
    bool m_Close = false;
    int m_Waiting = 0;
};

}  // namespace StreamIO
