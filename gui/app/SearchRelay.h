#pragma once
// The device callback of a search: the worker thread calls it, and it posts each
// found device and status text to the result page, which handles them on the
// user-interface thread. The worker never touches a window.
//
// A device that cannot be posted (the page is gone) is deleted; so is one whose
// posted event is discarded because the page went away before it arrived.
#include <QString>
#include <functional>
#include <memory>
#include <mutex>

#include "device/Callback.h"

class QObject;

class CSearchRelay : public Device::CCallback {
  public:
    using DeviceHandler = std::function<void(std::unique_ptr<Device::CZvDevice>)>;
    using StatusHandler = std::function<void(const QString&)>;

    // The handlers run on the thread of `target`, as long as it lives.
    CSearchRelay(QObject* target, DeviceHandler onDevice, StatusHandler onStatus);

    void OnDevice(std::unique_ptr<Device::CZvDevice> device) override;
    void OnStatus(const std::u16string& text) override;

    // From now on nothing is posted; devices still arriving are deleted.
    void Detach();

  private:
    std::mutex m_lock;
    QObject* m_target;
    DeviceHandler m_onDevice;
    StatusHandler m_onStatus;
};
