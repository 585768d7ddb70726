#include "streamio/UsbHostProbeManager.h"

#include <algorithm>
#include <chrono>

#include "streamio/StreamErrors.h"

namespace StreamIO {

bool IsUsbProbeName(std::string_view name) {
    return name.size() >= 4 && (name[0] == 'H' || name[0] == 'h') && (name[1] == 'I' || name[1] == 'i') &&
           (name[2] == 'D' || name[2] == 'd') && name[3] == ':';
}

std::string UsbProbePath(std::string_view name) {
    return std::string(IsUsbProbeName(name) ? name.substr(4) : name);
}

std::vector<std::string> ListUsbProbeDevices() {
    std::vector<std::string> names;
    for (const std::string& path : CUsbHostProbeManager::Instance().Backend()->List(kUsbVendorTolvex))
        names.push_back("HID:" + path);
    return names;
}

CUsbHostProbeManager& CUsbHostProbeManager::Instance() {
    // Lives until the process ends: streams may be closed from static destructors.
    static CUsbHostProbeManager* manager = new CUsbHostProbeManager();
    return *manager;
}

void CUsbHostProbeManager::SetBackend(std::shared_ptr<IHidBackend> backend) {
    std::lock_guard lock(m_Lock);
    m_Backend = std::move(backend);
}

std::shared_ptr<IHidBackend> CUsbHostProbeManager::Backend() {
    std::lock_guard lock(m_Lock);
    if (!m_Backend) m_Backend = MakeHidrawBackend();
    return m_Backend;
}

std::shared_ptr<IHidDevice> CUsbHostProbeManager::OpenChannel(const std::string& path, EHidChannel channel,
                                                              std::int32_t& code) {
    std::lock_guard lock(m_Lock);
    code = kErrNone;
    auto it = std::find_if(m_Devices.begin(), m_Devices.end(),
                           [&](const SDeviceData& d) { return d.Path == path; });
    if (it == m_Devices.end()) {
        std::unique_ptr<IHidDevice> handle = Backend()->Open(path, code);
        if (!handle) {
            if (code == kErrNone) code = kErrNotFound;
            return nullptr;
        }
        m_Devices.push_back({path, std::shared_ptr<IHidDevice>(std::move(handle))});
        it = std::prev(m_Devices.end());
    }
    ++(channel == EHidChannel::Control ? it->ControlUses : it->DataUses);
    return it->Handle;
}

std::int32_t CUsbHostProbeManager::ReleaseChannel(const std::string& path, EHidChannel channel) {
    std::lock_guard lock(m_Lock);
    auto it = std::find_if(m_Devices.begin(), m_Devices.end(),
                           [&](const SDeviceData& d) { return d.Path == path; });
    if (it == m_Devices.end()) return kErrInvalidHandle;
    int& uses = channel == EHidChannel::Control ? it->ControlUses : it->DataUses;
    if (uses > 0) --uses;
    if (it->ControlUses > 0 || it->DataUses > 0) return kErrNone;
    const std::int32_t code = it->Handle->Close();
    m_Devices.erase(it);
    return code;
}

std::shared_ptr<IHidDevice> CUsbHostProbeManager::Find(const std::string& path) {
    std::lock_guard lock(m_Lock);
    for (const SDeviceData& d : m_Devices)
        if (d.Path == path) return d.Handle;
    return nullptr;
}

int CUsbHostProbeManager::WaitForDeviceEvent(std::int32_t ms) {
    std::unique_lock lock(m_EventLock);
    ++m_Waiting;
    bool closed;
    if (ms < 0) {
        m_Event.wait(lock, [&] { return m_Close; });
        closed = true;
    } else {
        closed = m_Event.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_Close; });
    }
    --m_Waiting;
    return closed ? kDeviceEventClose : kDeviceEventTimeout;
}

void CUsbHostProbeManager::SignalClose() {
    {
        std::lock_guard lock(m_EventLock);
        m_Close = true;
    }
    m_Event.notify_all();
}

void CUsbHostProbeManager::ResetClose() {
    std::lock_guard lock(m_EventLock);
    m_Close = false;
}

int CUsbHostProbeManager::WaitingThreads() {
    std::lock_guard lock(m_EventLock);
    return m_Waiting;
}

}  // namespace StreamIO
