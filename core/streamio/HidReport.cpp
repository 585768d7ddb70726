#include "streamio/HidReport.h"

#include <algorithm>

namespace StreamIO {

std::uint8_t EncodeHidStatus(const SHidStatus& status) {
    return static_cast<std::uint8_t>((status.consumed ? kHidConsumed : 0) | (status.data ? kHidData : 0) |
                                     ((status.sequence & 7) << 3) | (status.toggle & 7));
}

SHidStatus DecodeHidStatus(std::uint8_t byte) {
    SHidStatus status;
    status.consumed = (byte & kHidConsumed) != 0;
    status.data = (byte & kHidData) != 0;
    status.sequence = static_cast<std::uint8_t>((byte >> 3) & 7);
    status.toggle = static_cast<std::uint8_t>(byte & 7);
    return status;
}

std::size_t HidControlCapacity(std::size_t reportLength) {
    if (reportLength <= kHidControlHeader) return 0;
    return std::min(reportLength - kHidControlHeader, kHidMaxControlPayload);
}

std::vector<std::uint8_t> EncodeHidControl(std::size_t reportLength, const SHidStatus& status,
                                           std::span<const std::uint8_t> payload) {
    const std::size_t n = std::min(payload.size(), HidControlCapacity(reportLength));
    std::vector<std::uint8_t> report(std::max(reportLength, kHidControlHeader), 0);
    report[0] = kHidControlReport;
    report[1] = EncodeHidStatus(status);
    report[2] = static_cast<std::uint8_t>(n);
    std::copy_n(payload.begin(), n, report.begin() + kHidControlHeader);
    return report;
}

std::optional<SHidReport> DecodeHidControl(std::span<const std::uint8_t> report) {
    if (report.size() < kHidControlHeader || report[0] != kHidControlReport) return std::nullopt;
    // Bits 7-6 of the length byte are not ours: a report using them is not
    // one of this framing.
    if ((report[2] & 0xC0) != 0) return std::nullopt;
    const std::size_t n = report[2];
    if (n > report.size() - kHidControlHeader) return std::nullopt;
    SHidReport out;
    out.status = DecodeHidStatus(report[1]);
    out.payload = report.subspan(kHidControlHeader, out.status.data ? n : 0);
    return out;
}

std::optional<SHidReport> DecodeHidData(std::span<const std::uint8_t> report) {
    if (report.size() < kHidDataHeader || report[0] != kHidDataReport) return std::nullopt;
    SHidReport out;
    out.status = DecodeHidStatus(report[1]);
    if (out.status.data) out.payload = report.subspan(kHidDataHeader);
    return out;
}

}  // namespace StreamIO
