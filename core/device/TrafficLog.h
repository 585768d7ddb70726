#pragma once
// The traffic log of a protocol engine: every byte it writes to and reads from
// its stream, in the order they pass, with a time stamp. Support staff ask for it
// when a cable or a hammer misbehaves. An engine without a log pays one pointer
// test per transfer.
#include <cstdint>
#include <span>

namespace Device {

enum class ETrafficDirection : std::uint8_t {
    Sent,      // written to the device
    Received,  // read from the device
};

class ITrafficLog {
  public:
    virtual ~ITrafficLog() = default;
    // `unixMs`: wall-clock time of the transfer in milliseconds since 1970-01-01
    // UTC. `bytes` is never empty. Called on the thread that uses the engine.
    virtual void OnTraffic(ETrafficDirection direction, std::int64_t unixMs,
                           std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace Device
