#include "RecordingHammer.h"

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
    if (buffer != nullptr && received > 0 && received <= capacity) {
        m_reply.assign(buffer, buffer + received);
        m_hasReply = true;
    }
    return code;
}
