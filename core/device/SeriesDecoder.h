#pragma once
// The two layouts in which a hammer delivers its measurement series, decoded
// into the records the document imports (TDownloadedSeries).
//
// Both decoders read only the bytes they are given: a record whose header or
// readings do not fit in what was received ends decoding with
// kDownloadTruncated, keeping the complete records before it.
#include <cstdint>
#include <span>
#include <vector>

#include "device/Identity.h"
#include "model/DownloadedSeries.h"

namespace Device {

// Results of CVantrelDevice::DownloadAllSeries and of the decoders.
inline constexpr int kDownloadOk = 0;
// 1, 6, 12 and 13 are the transfer results of ReceiveData, passed on.
inline constexpr int kDownloadUnknownFormat = 14;  // new layout with a format byte above 1
inline constexpr int kDownloadRefused = 15;        // the hammer refused the download
inline constexpr int kDownloadTruncated = 16;      // a record runs past the received bytes

inline constexpr std::size_t kSeriesHeaderSize = 18;
inline constexpr std::size_t kReadingSize = 4;

struct SDownloadResult {
    std::uint8_t FormatByte = 0;  // first byte of a new-layout reply; 0 for the old layout
    std::vector<TDownloadedSeries> Series;
};

// The newer layout: a format byte, then records of an 18-byte header and the
// readings. Each record carries the identity texts and the new-format mark.
int DecodeSeriesNewFormat(std::span<const std::uint8_t> bytes, const SIdentity& identity,
                          SDownloadResult& result);

// The older layout: records without a format byte; a count of 1 in a series
// that is not a single reading is resolved by looking for the next plausible
// header.
int DecodeSeriesOldFormat(std::span<const std::uint8_t> bytes, const SIdentity& identity,
                          SDownloadResult& result);

}  // namespace Device
