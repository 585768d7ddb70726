#include "device/DeviceFactory.h"

#include "device/DeviceTypes.h"
#include "device/VantrelDevice.h"

namespace Device {

std::unique_ptr<CZvDevice> CreateDevice(int typeCode) {
    switch (typeCode) {
        case TypeVantrel:
            return std::make_unique<CVantrelDevice>();
        default:
            return nullptr;
    }
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
