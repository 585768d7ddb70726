#include "model/Statistics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "model/Conversion.h"
#include "model/VantrelObject.h"
#include "text/StringTable.h"

namespace Model {
namespace {

constexpr std::array<std::uint8_t, 100> MakeCancellationTable() {
    struct SRange {
        int from, to, count;
    };
    constexpr SRange ranges[] = {{10, 12, 1}, {13, 15, 2}, {16, 21, 3}, {22, 28, 4}, {29, 33, 5},
                                 {34, 40, 6}, {41, 47, 7}, {48, 55, 8}, {56, 99, 9}};
    std::array<std::uint8_t, 100> t{};
    for (const auto& r : ranges)
        for (int n = r.from; n <= r.to; ++n)
            t[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(r.count);
    return t;
}
constexpr std::array<std::uint8_t, 100> kCancellation = MakeCancellationTable();

constexpr int kJgjCut = 3;
constexpr std::size_t kJgjRequired = 16;

// Mean, spread, energy and validity before rounding and conversion.
struct SRaw {
    float mean = kNoValue;
    float sd = kNoValue;
    float energy = kNoValue;
    std::int32_t valid = 0;
    bool invalid = false;
};

// Sums over a set of readings; Q sums are kept in half units so they are exact.
struct SSums {
    std::uint64_t half = 0;
    std::uint64_t halfSq = 0;
    std::uint64_t energy = 0;
    std::size_t count = 0;

    void Add(const TMeas& m) {
        half += m.QHalf;
        halfSq += std::uint64_t{m.QHalf} * m.QHalf;
        energy += m.Energy;
        ++count;
    }
    double Mean() const { return half / 2.0 / static_cast<double>(count); }
    double MeanEnergy() const { return energy / 1000.0 / static_cast<double>(count); }
    // Sample standard deviation (divisor c - 1); 0 for a single reading.
    float StdDev() const {
        if (count <= 1) return 0.0f;
        const double c = static_cast<double>(count);
        const double s = half / 2.0;
        const double s2 = halfSq / 4.0;
        const double var = (c * s2 - s * s) / (c * (c - 1.0));
        return static_cast<float>(std::sqrt(std::max(0.0, var)));
    }
};

std::int32_t ToCount(std::size_t n) {
    return static_cast<std::int32_t>(std::min<std::size_t>(n, INT32_MAX));
}

// Reading indices ordered by QHalf, equal values in reading order: a counting
// sort, since the key is one byte and series are short.
void OrderByQ(const std::vector<TMeas>& readings, std::vector<std::uint32_t>& order) {
    std::array<std::uint32_t, 256> start{};
    for (const auto& m : readings) ++start[m.QHalf];
    std::uint32_t sum = 0;
    for (auto& s : start) {
        const std::uint32_t c = s;
        s = sum;
        sum += c;
    }
    order.resize(readings.size());
    for (std::uint32_t i = 0; i < readings.size(); ++i) order[start[readings[i].QHalf]++] = i;
}

float QOf(const TMeas& m) {
    return static_cast<float>(m.QHalf) / 2.0f;
}

SRaw GroupA(const TVantrelObject& s, std::uint8_t* flags, std::vector<std::uint32_t>& order) {
    const std::size_t n = s.Readings.size();
    SRaw r;
    std::size_t lower = s.LowerOutliers;
    std::size_t upper = s.UpperOutliers;
    if (s.AveragingMode == kModeMeanOutlier) {
        lower = upper = static_cast<std::size_t>(GetOutlierCancellationCount(n));
    } else if (s.AveragingMode == kModeMeanJGJ) {
        lower = upper = kJgjCut;
        r.invalid = n != kJgjRequired;
    }
    if (lower + upper >= n) {
        // The cuts leave nothing to average (possible in files): no value, and
        // every reading is out.
        if (flags) std::fill_n(flags, n, std::uint8_t{1});
        r.valid = 0;
        return r;
    }
    const std::size_t c = n - lower - upper;
    r.valid = ToCount(c);

    OrderByQ(s.Readings, order);
    if (flags) {
        for (std::size_t i = 0; i < lower; ++i) flags[order[i]] = 1;
        for (std::size_t i = n - upper; i < n; ++i) flags[order[i]] = 1;
    }
    SSums sums;
    for (std::size_t i = lower; i < n - upper; ++i) sums.Add(s.Readings[order[i]]);

    if (s.AveragingMode == kModeMedianOnly) {
        const std::size_t mid = lower + c / 2;
        r.mean = (c % 2) ? QOf(s.Readings[order[mid]])
                         : (QOf(s.Readings[order[mid - 1]]) + QOf(s.Readings[order[mid]])) / 2.0f;
    } else {
        r.mean = static_cast<float>(sums.Mean());
    }
    r.sd = sums.StdDev();
    r.energy = static_cast<float>(sums.MeanEnergy());
    return r;
}

SRaw MedianEN(const TVantrelObject& s, std::uint8_t* flags, std::vector<std::uint32_t>& order) {
    const std::size_t n = s.Readings.size();
    SRaw r;
    r.valid = 0;
    if (n == 0) return r;  // no median of nothing

    SSums sums;
    for (const auto& m : s.Readings) sums.Add(m);
    OrderByQ(s.Readings, order);
    const float median = (n % 2) ? QOf(s.Readings[order[n / 2]])
                                 : (QOf(s.Readings[order[n / 2 - 1]]) + QOf(s.Readings[order[n / 2]])) / 2.0f;

    const double low = 0.7 * static_cast<double>(median);
    const double high = 1.3 * static_cast<double>(median);
    std::size_t outside = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double q = QOf(s.Readings[i]);
        if (q < low || q > high) {
            ++outside;
            if (flags) flags[i] = 1;
        }
    }
    r.valid = ToCount(n - outside);
    // At most 20 % of the readings may lie outside, rounded half up.
    const auto allowed = static_cast<std::size_t>(0.2f * static_cast<float>(n) + 0.5f);
    r.invalid = outside > allowed;
    r.sd = sums.StdDev();
    r.energy = static_cast<float>(sums.MeanEnergy());
    r.mean = median;
    return r;
}

SRaw MeanASTM(const TVantrelObject& s, std::uint8_t* flags) {
    const std::size_t n = s.Readings.size();
    SRaw r;
    r.valid = 0;
    if (n == 0) return r;

    SSums all;
    for (const auto& m : s.Readings) all.Add(m);
    const float average = static_cast<float>(all.Mean());
    const double low = static_cast<double>(average) - 6.5;
    const double high = static_cast<double>(average) + 6.5;

    SSums used;
    for (std::size_t i = 0; i < n; ++i) {
        const double q = QOf(s.Readings[i]);
        if (q < low || q > high) {
            if (flags) flags[i] = 1;
        } else {
            used.Add(s.Readings[i]);
        }
    }
    const std::size_t outside = n - used.count;
    r.valid = ToCount(used.count);
    r.invalid = outside > 2;
    r.mean = used.count > 0 ? static_cast<float>(used.Mean()) : average;
    r.sd = used.StdDev();
    if (used.count > 0) r.energy = static_cast<float>(used.MeanEnergy());
    return r;
}

SRaw ComputeRaw(const TVantrelObject& s, std::uint8_t* flags) {
    thread_local std::vector<std::uint32_t> order;
    switch (s.AveragingMode) {
        case kModeSingle:
        case kModeMean:
        case kModeMeanOutlier:
        case kModeMedianOnly:
        case kModeMeanJGJ:
            return GroupA(s, flags, order);
        case kModeMedianEN:
            return MedianEN(s, flags, order);
        case kModeMeanASTM:
            return MeanASTM(s, flags);
        default: {
            // JIS, RUS and unknown modes are named but not computed: no value.
            SRaw r;
            r.valid = ToCount(s.Readings.size());
            return r;
        }
    }
}

// The characteristic value as the hammer rounds it: to 0.5 for Q in the old
// data format, to 0.1 otherwise.
float RoundMean(float mean, std::uint8_t unit, std::uint8_t newDataFormat) {
    if (unit == kUnitQ && newDataFormat == 0) return static_cast<float>(RoundToHalf(mean));
    return static_cast<float>(std::trunc((mean + 0.05) * 10.0) / 10.0);  // toward zero, as RoundToHalf
}

}  // namespace

int GetOutlierCancellationCount(std::size_t readingCount) {
    return kCancellation[std::min(readingCount, kCancellation.size() - 1)];
}

TStatistics CalcStatistics(TVantrelObject& s) {
    s.ReadingFlags.assign(s.Readings.size(), 0);
    const SRaw raw = ComputeRaw(s, s.ReadingFlags.data());

    TStatistics st;
    st.StdDev = raw.sd;
    st.MeanEnergy = raw.energy;
    st.ValidCount = raw.valid;
    st.Invalid = raw.invalid;
    if (IsNoValue(raw.mean)) return st;  // MeanQ, Converted and ConvertedStdDev stay "no value"

    st.MeanQ = RoundMean(raw.mean, s.Unit, s.NewDataFormat);
    const float carbonation = static_cast<float>(s.CarbonationCode);
    st.Converted = Convert(st.MeanQ, s.Unit, s.CurveId, s.DeviceType, carbonation, s.FormCode, true);
    if (!IsNoValue(st.Converted)) {
        const float hi =
            Convert(raw.mean + raw.sd, s.Unit, s.CurveId, s.DeviceType, carbonation, s.FormCode, false);
        const float lo =
            Convert(raw.mean - raw.sd, s.Unit, s.CurveId, s.DeviceType, carbonation, s.FormCode, false);
        if (!IsNoValue(hi) && !IsNoValue(lo)) st.ConvertedStdDev = (hi - lo) / 2.0f;
    }
    return st;
}

namespace {

// The outliers a mode cuts at one end: the stored count where the user sets it.
int EffectiveOutliers(const TVantrelObject& s, int stored) {
    switch (s.AveragingMode) {
        case kModeMean:
        case kModeMedianOnly:
            return stored;
        case kModeMeanOutlier:
            return GetOutlierCancellationCount(s.Readings.size());
        case kModeMeanJGJ:
            return kJgjCut;
        default:
            return 0;
    }
}

}  // namespace

int GetEffectiveUpperOutliers(const TVantrelObject& s) {
    return EffectiveOutliers(s, s.UpperOutliers);
}

int GetEffectiveLowerOutliers(const TVantrelObject& s) {
    return EffectiveOutliers(s, s.LowerOutliers);
}

double GetSeriesFormFactor(const TVantrelObject& s) {
    constexpr std::uint8_t kCylinderByClass = 20;
    if (s.FormCode != kCylinderByClass) return GetFormFactor(s.FormCode, 0.0);

    const SRaw raw = ComputeRaw(s, nullptr);
    if (IsNoValue(raw.mean)) return GetFormFactor(kCylinderByClass, kNoValue);
    // The strength-unit rounding of the mean, whatever the series' own unit.
    const float meanQ = RoundMean(raw.mean, kUnitNmm2, s.NewDataFormat);
    const TCurveRecord curve = GetCurveRecord(s.CurveId, s.DeviceType);
    if (!curve.InRange(meanQ)) return GetFormFactor(kCylinderByClass, kNoValue);
    return GetFormFactor(kCylinderByClass, curve.Evaluate(meanQ));
}

TModeExplanation GetModeExplanation(const TVantrelObject& s, const TStatistics& st) {
    TModeExplanation e;
    const auto set = [&](unsigned title, unsigned text) {
        e.titleId = title;
        e.textId = text;
        e.title = Text::LoadString(title);
        e.text = Text::LoadString(text);
    };
    if (s.AveragingMode == kModeMedianEN && st.Invalid) {
        const auto total = static_cast<long long>(s.Readings.size());
        const long long invalid = total - st.ValidCount;
        const int percent = total > 0 ? static_cast<int>(static_cast<double>(invalid) / total * 100.0) : 0;
        e.titleId = 59426;
        e.textId = 59429;
        e.title = Text::LoadString(59426);
        e.text = Text::FormatString(59429, percent, total, invalid);
        return e;
    }
    if (s.AveragingMode == kModeMeanASTM && st.Invalid) {
        set(59428, 59431);
        return e;
    }
    switch (s.AveragingMode) {
        case kModeSingle:
            set(59432, 59433);
            break;
        case kModeMedianEN:
            set(59436, 59437);
            break;
        case kModeMean:
            set(59434, 59435);
            break;
        case kModeMeanOutlier:
            set(59438, 59439);
            break;
        case kModeMeanASTM:
            set(59440, 59441);
            break;
        case kModeMedianOnly:
            set(59583, 59584);
            break;
        case kModeMeanJGJ:
            set(59581, 59582);
            break;
        default:
            break;
    }
    return e;
}

}  // namespace Model
