#include "device/DeviceFactory.h"

#include <atomic>

#include "device/DeviceTypes.h"
#include "device/VantrelDevice.h"

namespace Device {
namespace {

std::atomic<ITrafficLog*> g_DefaultLog{nullptr};

}  // namespace

void SetDefaultTrafficLog(ITrafficLog* log) {
    g_DefaultLog.store(log);
}

std::unique_ptr<CZvDevice> CreateDevice(int typeCode) {
    std::unique_ptr<CZvDevice> device;
    switch (typeCode) {
        case TypeVantrel:
            device = std::make_unique<CVantrelDevice>();
            break;
        default:
            return nullptr;
    }
    if (ITrafficLog* log = g_DefaultLog.load()) device->SetTrafficLog(log);
    return device;
}

std::string GetDeviceTypeName(int typeCode) {
    switch (typeCode) {
        case TypeVantrel:
            return "Talvenbrecker";
        default:
            return std::string();
    }
}

}  // namespace Device
