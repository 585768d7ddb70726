#pragma once
// Device objects by type code (NTypes).
#include <functional>
#include <memory>
#include <string>

namespace Device {

class CZvDevice;
class ITrafficLog;

// Makes a device object for a type code; nullptr for a type without a class.
using DeviceFactory = std::function<std::unique_ptr<CZvDevice>(int typeCode)>;

// A new default device of `typeCode` (2: the Talvenbrecker); nullptr for any code
// this program has no class for.
std::unique_ptr<CZvDevice> CreateDevice(int typeCode);
// A traffic log every device made by CreateDevice writes to from then on
// (the desktop program's --log); nullptr for none. Not owned: it must outlive
// the devices.
void SetDefaultTrafficLog(ITrafficLog* log);

// The display name of a device family ("Talvenbrecker" for 2); empty for codes
// this program does not know.
std::string GetDeviceTypeName(int typeCode);

}  // namespace Device
