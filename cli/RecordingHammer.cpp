#include "RecordingHammer.h"

#include <algorithm>

std::unique_ptr<Device::CZvDevice> CRecordingHammer::CreateInstance() const {
    return std::make_unique<CRecordingHammer>();
}

int CRecordingHammer::ReceiveData(std::uint8_t command, std::uint8_t* buffer, int payloadLength,
                                  int& received, int capacity, int timeoutMs, int budgetMs) {
    const int code =
        CVantrelDevice::ReceiveData(command, buffer, payloadLength, received, capacity, timeoutMs, budgetMs);
    m_reply.clear();
    // A complete reply counts even when it is empty; a failed one by what came of it.
    m_hasReply = code == 0;
    // A reply too large for the buffer (its length is reported, its rest was
    // dropped) is kept as far as it came in: support needs that case most.
    if (buffer != nullptr && received > 0 && capacity > 0) {
        m_reply.assign(buffer, buffer + std::min(received, capacity));
        m_hasReply = true;
    }
    return code;
}
