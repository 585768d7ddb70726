// Both series decoders over arbitrary received bytes.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "device/SeriesDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const Device::SIdentity identity{"Talvenbrecker PCL", "2.4.1", "TB-L-1", "HW 3.0", "05010000", "1.2.0"};
    for (const bool newFormat : {false, true}) {
        Device::SDownloadResult result;
        const int code = newFormat ? Device::DecodeSeriesNewFormat(bytes, identity, result)
                                   : Device::DecodeSeriesOldFormat(bytes, identity, result);
        if (code != Device::kDownloadOk && code != Device::kDownloadTruncated &&
            code != Device::kDownloadUnknownFormat) {
            std::abort();
        }
        // A complete decode accounts for every byte.
        std::size_t used = newFormat && size > 0 ? 1 : 0;
        for (const auto& s : result.Series)
            used += Device::kSeriesHeaderSize + Device::kReadingSize * s.Readings.size();
        if (code == Device::kDownloadOk && !result.Series.empty() && used != size) std::abort();
        if (used > size) std::abort();
    }
    return 0;
}
