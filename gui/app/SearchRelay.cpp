#include "app/SearchRelay.h"

#include <QMetaObject>
#include <QObject>

#include "device/ZvDevice.h"
#include "ui/UiText.h"

CSearchRelay::CSearchRelay(QObject* target, DeviceHandler onDevice, StatusHandler onStatus)
    : m_target(target), m_onDevice(std::move(onDevice)), m_onStatus(std::move(onStatus)) {}

void CSearchRelay::Detach() {
    std::lock_guard lock(m_lock);
    m_target = nullptr;
}

void CSearchRelay::OnDevice(std::unique_ptr<Device::CZvDevice> device) {
    // The holder travels with the posted event: if the event is dropped, the
    // holder's destruction deletes the device and closes its port.
    auto holder = std::make_shared<std::unique_ptr<Device::CZvDevice>>(std::move(device));
    std::lock_guard lock(m_lock);
    if (m_target == nullptr) return;
    DeviceHandler handler = m_onDevice;
    QMetaObject::invokeMethod(
        m_target, [handler, holder] { handler(std::move(*holder)); }, Qt::QueuedConnection);
}

void CSearchRelay::OnStatus(const std::u16string& text) {
    const QString copy = UiText::ToQ(text);
    std::lock_guard lock(m_lock);
    if (m_target == nullptr) return;
    StatusHandler handler = m_onStatus;
    QMetaObject::invokeMethod(
        m_target, [handler, copy] { handler(copy); }, Qt::QueuedConnection);
}
