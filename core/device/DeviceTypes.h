#pragma once
// Port types and device types of the device library.
#include <cstdint>

namespace Device {

// Port types, as bits so that a device class can state several.
enum NPorts : std::int32_t {
    PortNone = 0,
    PortSerial = 1,  // also a USB device presenting itself as a serial port
    PortUsb = 2,
    PortEthernet = 4,
};

// Device families of the device library (0 to 11). This program offers only the
// Talvenbrecker; the other values name families it does not create.
enum NTypes : std::int32_t {
    TypeVantrel = 2,
    TypeHidProbe = 5,  // the family on HID reports; every other type uses bulk pipes over USB
    TypeCount = 12,  // also the "no type" default of a search job
};

}  // namespace Device
