// The engine's file commands (listing, load, save, rename, delete, remote
// login) and the update transfer.
#include <algorithm>
#include <cstdio>
#include <limits>

#include "device/Callback.h"
#include "device/Crc.h"
#include "device/ZvCommands.h"
#include "device/ZvCommandsShared.h"
#include "streamio/IoStream.h"

namespace Device {

using namespace ZvDetail;

namespace {

constexpr int kMaxListing = 1000000;
constexpr int kListingTimeoutMs = 120000;
constexpr std::uint32_t kMaxLoadLength = 0x5000000;
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kMaxPathLength = 256;
constexpr int kFileCommandTimeoutMs = 6000;
constexpr int kPreambleTimeoutMs = 4000;
constexpr int kBlockAckTimeoutMs = 4000;

}  // namespace

// ---- File commands ---------------------------------------------------------

bool CZvCommands::ListDirectory(std::uint16_t selector, std::string& listing) {
    listing.clear();
    m_Echo = 0;
    if (m_Stream == nullptr) return false;
    std::int32_t readMs = -1;
    std::int32_t writeMs = -1;
    bool restore = false;
    try {
        restore = m_Stream->GetTimeouts(readMs, writeMs);
    } catch (...) {
        restore = false;
    }
    char command[16];
    std::snprintf(command, sizeof command, "DIRS %04X", static_cast<unsigned>(selector));
    std::string answer;
    const int length = QueryText(command, answer, kMaxListing, kListingTimeoutMs);
    if (restore) {
        try {
            m_Stream->SetTimeouts(readMs, writeMs);
        } catch (...) {
            // The listing is judged on its own; the next exchange sets its time-outs.
        }
    }
    if (length <= 0 || length > kMaxListing || answer.size() < 9 || answer[8] != ';') return false;
    std::uint32_t announced = 0;
    for (int i = 0; i < 8; ++i) {
        const char c = answer[static_cast<std::size_t>(i)];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) return false;
        announced = (announced << 4) | static_cast<std::uint32_t>(digit);
    }
    std::string text = answer.substr(9);
    if (text.size() != announced) return false;
    if (!text.empty() && text.back() == ';') text.pop_back();
    listing = std::move(text);
    return true;
}

bool CZvCommands::LoadFile(std::u16string_view devicePath, StreamIO::CIoStream& destination,
                           std::uint32_t* length) {
    if (length != nullptr) *length = 0;
    m_Echo = 0;
    if (m_Stream == nullptr) return false;
    CLogScope scope(*this);
    try {
        Purge();
        if (!WriteOne(kTextStart)) return false;
        if (!SetBothTimeouts(kFileCommandTimeoutMs)) return false;
        std::uint8_t answer = 0;
        if (!ReadOne(answer)) return false;
        if (!WriteText("LOAD \"" + PathArgument(devicePath) + "\"\r")) return false;
        std::uint8_t header[4];
        if (ReadBytes(header, 4) != 4) return false;
        const std::uint32_t size = Le32(header);
        if (size > kMaxLoadLength) return false;
        if (!TransferTimeout(size, 2)) return false;
        m_TransferBuffer.resize(kChunk);
        std::uint32_t done = 0;
        while (done < size) {
            const std::size_t step = std::min<std::size_t>(kChunk, size - done);
            const std::size_t got = ReadBytes(m_TransferBuffer.data(), step);
            if (got == 0) return false;
            if (destination.Write(m_TransferBuffer.data(), got) != got) return false;
            done += static_cast<std::uint32_t>(got);
        }
        if (length != nullptr) *length = size;
        return true;
    } catch (...) {
        return false;
    }
}

bool CZvCommands::SaveFile(std::u16string_view devicePath, StreamIO::CIoStream& source,
                           std::uint32_t length) {
    m_Echo = 0;
    if (m_Stream == nullptr) return false;
    if (!SendText("SAVE \"" + PathArgument(devicePath) + "\"", kFileCommandTimeoutMs)) return false;
    CLogScope scope(*this);
    try {
        if (!TransferTimeout(length, 1)) return false;
        std::vector<std::uint8_t> header;
        PutLe32(header, length);
        if (WriteBytes(header.data(), header.size()) != header.size()) return false;
        m_TransferBuffer.resize(kChunk);
        std::uint32_t done = 0;
        while (done < length) {
            const std::size_t step = std::min<std::size_t>(kChunk, length - done);
            if (source.Read(m_TransferBuffer.data(), step) != step) return false;
            if (WriteBytes(m_TransferBuffer.data(), step) != step) return false;
            done += static_cast<std::uint32_t>(step);
        }
        std::uint8_t confirm[2];
        if (ReadBytes(confirm, 2) != 2) return false;
        return confirm[0] == 'y' || confirm[0] == 'Y';
    } catch (...) {
        return false;
    }
}

bool CZvCommands::RenameFile(std::u16string_view oldPath, std::u16string_view newPath) {
    m_Echo = 0;
    if (oldPath.size() > kMaxPathLength || newPath.size() > kMaxPathLength) return false;
    return SendText("MOVF \"" + PathArgument(oldPath) + "\";\"" + PathArgument(newPath) + "\"",
                    kFileCommandTimeoutMs);
}

bool CZvCommands::DeleteFile(std::u16string_view devicePath) {
    m_Echo = 0;
    return SendText("DELF \"" + PathArgument(devicePath) + "\"", kFileCommandTimeoutMs);
}

bool CZvCommands::RemoteLogin(std::u16string_view user, std::u16string_view password,
                              std::optional<std::uint32_t> value) {
    m_Echo = 0;
    std::string command = "RLGI \"" + PathArgument(user) + "\"; \"" + PathArgument(password) + "\"";
    if (value) {
        char number[16];
        std::snprintf(number, sizeof number, "; %08X", static_cast<unsigned>(*value));
        command += number;
    }
    return SendText(command, kFileCommandTimeoutMs);
}

bool CZvCommands::RemoteLogout() {
    m_Echo = 0;
    return SendText("RLGO", kShortCommandTimeoutMs);
}

// ---- Update transfer -------------------------------------------------------

bool CZvCommands::SendBlock(StreamIO::CIoStream& source, std::uint32_t length, int checkMode) {
    const std::uint8_t kind = checkMode == 1 ? kCheckCrc16 : kCheckCrc32;
    if (!TransferTimeout(length + 4, 1)) return false;
    m_TransferBuffer.resize(kChunk);
    std::uint32_t crc = 0;
    std::uint32_t done = 0;
    while (done < length) {
        const std::size_t step = std::min<std::size_t>(kChunk, length - done);
        if (source.Read(m_TransferBuffer.data(), step) != step) return false;
        const std::span<const std::uint8_t> piece(m_TransferBuffer.data(), step);
        crc = kind == kCheckCrc16 ? Crc16(piece, static_cast<std::uint16_t>(crc)) : Crc32(piece, crc);
        if (WriteBytes(m_TransferBuffer.data(), step) != step) return false;
        done += static_cast<std::uint32_t>(step);
    }
    std::uint8_t check[4];
    for (int i = 0; i < 4; ++i) check[i] = static_cast<std::uint8_t>(crc >> (8 * i));
    const std::size_t checkLength = CheckLength(kind);
    if (!SetBothTimeouts(kBlockAckTimeoutMs)) return false;
    if (WriteBytes(check, checkLength) != checkLength) return false;
    std::uint8_t ack = 0xFF;
    return ReadOne(ack) && ack == 0;
}

std::uint64_t CZvCommands::SendBlocks(StreamIO::CIoStream& source, std::uint32_t length,
                                      std::uint32_t blockSize, int checkMode, CCallback* callback) {
    if (m_Stream == nullptr || (checkMode != 1 && checkMode != 2)) return 0;
    std::uint64_t sent = 0;
    std::uint64_t start = 0;
    try {
        if (source.IsRandomAccess()) start = source.GetPosition();
    } catch (...) {
        return 0;
    }
    const bool single = blockSize == 0 || length <= blockSize;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) {
            if (!source.IsRandomAccess() || IsAbortRequested()) break;
            if (!ResyncLink()) continue;
            try {
                source.SetPosition(start);
            } catch (...) {
                break;
            }
        }
        sent = 0;
        std::vector<std::uint8_t> announce;
        if (single) {
            announce.push_back(0x01);
            PutLe32(announce, length);
            announce.push_back(static_cast<std::uint8_t>(checkMode));
            announce.push_back(0);
        } else {
            announce.push_back(0x03);
            PutLe32(announce, length);
            PutLe32(announce, blockSize);
        }
        std::uint8_t buffer[16] = {};
        std::copy(announce.begin(), announce.end(), buffer);
        if (Transact(kCmdUpdate, static_cast<int>(announce.size()), buffer, sizeof buffer,
                     kBlockAckTimeoutMs) != 0) {
            continue;
        }
        bool failed = false;
        CLogScope scope(*this);
        try {
            while (sent < length) {
                if (IsAbortRequested()) return sent;
                const std::uint32_t step =
                    single ? length
                           : static_cast<std::uint32_t>(std::min<std::uint64_t>(blockSize, length - sent));
                if (!SendBlock(source, step, checkMode)) {
                    failed = true;
                    break;
                }
                sent += step;
                if (callback != nullptr && callback->IsProgressEnabled()) {
                    callback->OnProgress(static_cast<int>(sent * 100 / length), 1, 0);
                }
            }
        } catch (...) {
            failed = true;
        }
        if (!failed) return sent;
    }
    return sent;
}

bool CZvCommands::SendPreamble(std::span<const std::uint8_t> block, int checkMode) {
    if (m_Stream == nullptr || block.size() != 128 || (checkMode & 3) == 0) return false;
    std::vector<std::uint8_t> payload;
    payload.reserve(1 + block.size() + 4);
    payload.push_back(0x00);
    payload.insert(payload.end(), block.begin(), block.end());
    if ((checkMode & 1) != 0) {
        const std::uint16_t crc = Crc16(block);
        payload.push_back(static_cast<std::uint8_t>(crc));
        payload.push_back(static_cast<std::uint8_t>(crc >> 8));
    } else {
        PutLe32(payload, Crc32(block));
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0 && !ResyncLink()) continue;
        if (TransactLong(kCmdUpdate, payload, kPreambleTimeoutMs) == 0) return true;
    }
    return false;
}

}  // namespace Device
