#include "device/SeriesDecoder.h"

namespace Device {

namespace {

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void CopyIdentity(const SIdentity& identity, TDownloadedSeries& s) {
    s.SerialNumber = identity.SerialNumber;
    s.DeviceType = identity.DeviceType;
    s.DeviceInfo = identity.HardwareRevision;
}

// `count` readings starting at `p`; the caller has checked that they fit.
void ReadReadings(const std::uint8_t* p, std::size_t count, TDownloadedSeries& s) {
    s.Readings.resize(count);
    for (std::size_t i = 0; i < count; ++i, p += kReadingSize) {
        s.Readings[i].QHalf = p[0];
        s.Readings[i].Energy = U16(p + 1);
        s.Readings[i].Extra = p[3];
    }
}

// Whether the 18 bytes at `h` look like an old-layout header. Mode and unit
// are compared as signed bytes, as the hammers' own readers do.
bool IsPlausibleOldHeader(const std::uint8_t* h) {
    const auto mode = static_cast<std::int8_t>(h[13]);
    const auto unit = static_cast<std::int8_t>(h[10]);
    return mode < 5 && h[16] < 10 && unit < 5 && h[12] != 0 && h[14] <= 12;
}

// The number of readings of an old-layout record whose header says 1 although
// it is not a single-reading series: up to the next plausible header, or
// everything that is left.
std::size_t OldQuirkCount(const std::uint8_t* record, std::size_t remaining) {
    if (remaining > 40) {
        for (std::size_t p = 22; p + kSeriesHeaderSize < remaining; p += 4) {
            if (IsPlausibleOldHeader(record + p)) return (p - kSeriesHeaderSize) / kReadingSize;
        }
    }
    return remaining < 22 ? 0 : (remaining - kSeriesHeaderSize) / kReadingSize;
}

}  // namespace

int DecodeSeriesNewFormat(std::span<const std::uint8_t> bytes, const SIdentity& identity,
                          SDownloadResult& result) {
    result.Series.clear();
    result.FormatByte = 0;
    const std::size_t n = bytes.size();
    if (n == 0) return kDownloadOk;
    result.FormatByte = bytes[0];
    if (bytes[0] > 1) return kDownloadUnknownFormat;
    std::size_t pos = 1;
    while (pos < n) {
        const std::size_t left = n - pos;
        if (left < kSeriesHeaderSize) return kDownloadTruncated;
        const std::uint8_t* h = bytes.data() + pos;
        const std::size_t count = h[8];
        if (left - kSeriesHeaderSize < count * kReadingSize) return kDownloadTruncated;
        TDownloadedSeries s;
        s.ImpactCounter = U16(h);
        s.DeviceInfoA = static_cast<std::int16_t>(U16(h + 2));
        s.DateTime = U32(h + 4);
        s.DeviceCount = h[8];
        s.AveragingMode = h[9];
        s.DeviceInfoB = h[10];
        s.DeviceInfoC = h[11];
        s.UpperOutliers = h[12];
        s.LowerOutliers = h[13];
        s.CurveId = h[14];
        s.Unit = h[15];
        s.FormCode = h[16];
        // The carbonation factor in percent; 0 means no reduction (100 %).
        s.DeviceInfoD = h[17];
        s.CarbonationCode = h[17] == 0 ? 100 : h[17];
        s.NewDataFormat = true;
        CopyIdentity(identity, s);
        ReadReadings(h + kSeriesHeaderSize, count, s);
        result.Series.push_back(std::move(s));
        pos += kSeriesHeaderSize + count * kReadingSize;
    }
    return kDownloadOk;
}

int DecodeSeriesOldFormat(std::span<const std::uint8_t> bytes, const SIdentity& identity,
                          SDownloadResult& result) {
    result.Series.clear();
    result.FormatByte = 0;
    const std::size_t n = bytes.size();
    std::size_t pos = 0;
    while (pos < n) {
        const std::size_t left = n - pos;
        if (left < kSeriesHeaderSize) return kDownloadTruncated;
        const std::uint8_t* h = bytes.data() + pos;
        std::size_t count = h[12];
        if (count == 1 && h[13] != 0) {
            count = OldQuirkCount(h, left);
        } else if (left - kSeriesHeaderSize < count * kReadingSize) {
            return kDownloadTruncated;
        }
        TDownloadedSeries s;
        s.ImpactCounter = U16(h);
        s.DeviceInfoA = static_cast<std::int16_t>(U16(h + 4));
        s.DateTime = U32(h + 6);
        s.Unit = h[10];
        s.DeviceCount = static_cast<std::uint8_t>(count);
        s.AveragingMode = h[13];
        s.CarbonationCode = h[14];
        s.CurveId = h[15];
        s.FormCode = h[16];
        s.DeviceInfoD = h[17];
        s.NewDataFormat = false;
        CopyIdentity(identity, s);
        ReadReadings(h + kSeriesHeaderSize, count, s);
        result.Series.push_back(std::move(s));
        pos += kSeriesHeaderSize + count * kReadingSize;
    }
    return kDownloadOk;
}

}  // namespace Device
