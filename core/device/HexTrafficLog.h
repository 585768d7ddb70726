#pragma once
// A traffic log that renders the bytes as readable hex lines on a text stream:
//
//   14:03:07.512 > C1 F1 01                                          ...
//   14:03:07.530 < 04 11 22 33 44                                    ."3D
//
// Local time to the millisecond, ">" for bytes sent and "<" for bytes received,
// at most 16 bytes a line in hex, then the printable ASCII characters (others as
// "."). Safe to share between engines on several threads.
#include <cstdint>
#include <mutex>
#include <ostream>
#include <span>
#include <string>

#include "device/TrafficLog.h"

namespace Device {

class CHexTrafficLog : public ITrafficLog {
  public:
    // The stream must outlive the log.
    explicit CHexTrafficLog(std::ostream& out) : m_Out(&out) {}

    void OnTraffic(ETrafficDirection direction, std::int64_t unixMs,
                   std::span<const std::uint8_t> bytes) override;

    // The lines for one transfer, each ending in '\n' (what OnTraffic writes).
    static std::string FormatLines(ETrafficDirection direction, std::int64_t unixMs,
                                   std::span<const std::uint8_t> bytes);

  private:
    std::mutex m_Lock;
    std::ostream* m_Out;
};

}  // namespace Device
