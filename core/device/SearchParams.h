#pragma once
// What a device search looks for and where.
#include <string>

#include "device/DeviceFactory.h"
#include "device/DeviceTypes.h"

namespace Device {

struct SSearchParams {
    int DeviceType = TypeCount;  // NTypes value; the default creates no device
    int PortType = PortNone;     // NPorts value
    bool Scan = false;           // try every existing serial port instead of PortNumber
    bool StopAfterFirst = true;  // end a scan at the first device found
    int PortNumber = 1;          // the serial port when not scanning
    int SkippedPort = -1;        // a serial port a scan leaves out; -1 none
    std::string Address;         // IP address for PortEthernet
    // Makes the device objects; empty: CreateDevice. Lets a caller search with a
    // device class of its own (the tests do).
    DeviceFactory Factory;
};

}  // namespace Device
