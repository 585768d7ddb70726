#pragma once
// A hammer that keeps the bytes of its last bulk reply (the series download)
// exactly as they arrived, so that a download the program cannot read can be
// handed to support as it was.
#include <cstdint>
#include <vector>

#include "device/VantrelDevice.h"

class CRecordingHammer : public Device::CVantrelDevice {
  public:
    std::unique_ptr<Device::CZvDevice> CreateInstance() const override;
    int ReceiveData(std::uint8_t command, std::uint8_t* buffer, int payloadLength, int& received,
                    int capacity, int timeoutMs, int budgetMs) override;

    // Whether a bulk reply came (complete, possibly empty, or the part of a
    // failed one), and its bytes.
    bool HasReply() const { return m_hasReply; }
    const std::vector<std::uint8_t>& Reply() const { return m_reply; }

  private:
    std::vector<std::uint8_t> m_reply;
    bool m_hasReply = false;
};
