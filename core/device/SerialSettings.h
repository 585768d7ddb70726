#pragma once
// The serial settings record lives with the serial stream, which applies it; the
// device layer knows it under its own namespace.
#include "streamio/Rs232Stream.h"

namespace Device {

using SSerialSettings = StreamIO::SSerialSettings;

}  // namespace Device
