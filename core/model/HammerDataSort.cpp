// CHammerData::Sort: every sort key computes its values once per series into a
// key array, then orders indices; statistics never run inside a comparison.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "model/HammerData.h"

namespace {

enum class ESortValue {
    ImpactCounter,
    DateTime,
    Name,
    MeanQ,
    AveragingMode,
    UpperOutliers,
    LowerOutliers,
    StdDev,
    ReadingCount,
    CurveId,
    FormCode,
    CarbonationCode,
    MeanEnergy,
    EnergyTimesQ,
};

constexpr std::uint8_t kLastSortKey = 28;

struct SKey {
    double primary = 0;
    double secondary = 0;
};

// A key that is no number sorts after every number, so the order stays strict.
double Orderable(double v) {
    return std::isnan(v) ? HUGE_VAL : v;
}

}  // namespace

void CHammerData::Sort(std::uint8_t key) {
    m_sortKey = key;
    MarkModified();
    if (key < 1 || key > kLastSortKey || m_series.size() < 2) return;

    const auto what = static_cast<ESortValue>((key - 1) / 2);
    const bool descending = key % 2 == 0;
    const std::size_t n = m_series.size();

    std::vector<SKey> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
        TVantrelObject& s = *m_series[i];
        SKey& k = keys[i];
        switch (what) {
            case ESortValue::ImpactCounter:
                k.primary = s.ImpactCounter;
                break;
            case ESortValue::DateTime:
                k.primary = s.DateTime;
                break;
            case ESortValue::Name:
                break;  // compared as texts below
            case ESortValue::AveragingMode:
                k.primary = s.AveragingMode;
                break;
            case ESortValue::UpperOutliers:
                k.primary = s.UpperOutliers;
                break;
            case ESortValue::LowerOutliers:
                k.primary = s.LowerOutliers;
                break;
            case ESortValue::CurveId:
                k.primary = s.CurveId;
                break;
            case ESortValue::FormCode:
                k.primary = s.FormCode;
                break;
            case ESortValue::CarbonationCode:
                k.primary = s.CarbonationCode;
                break;
            case ESortValue::MeanQ:
            case ESortValue::StdDev:
            case ESortValue::ReadingCount:
            case ESortValue::MeanEnergy:
            case ESortValue::EnergyTimesQ: {
                const TStatistics st = Model::CalcStatistics(s);
                if (what == ESortValue::MeanQ) k.primary = st.MeanQ;
                if (what == ESortValue::StdDev) k.primary = st.StdDev;
                if (what == ESortValue::ReadingCount) {
                    k.primary = static_cast<double>(s.Readings.size());
                    k.secondary = st.ValidCount;
                }
                if (what == ESortValue::MeanEnergy) k.primary = st.MeanEnergy;
                if (what == ESortValue::EnergyTimesQ)
                    k.primary = static_cast<double>(st.MeanEnergy) * (static_cast<double>(st.MeanQ) / 100.0);
                k.primary = Orderable(k.primary);
                break;
            }
        }
    }

    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Equal values keep their present order in both directions.
    const auto less = [&](std::size_t a, std::size_t b) -> bool {
        int c = 0;
        if (what == ESortValue::Name) {
            c = m_nameOrder ? m_nameOrder(m_series[a]->Name, m_series[b]->Name)
                            : m_series[a]->Name.compare(m_series[b]->Name);
        } else {
            const SKey &ka = keys[a], &kb = keys[b];
            if (ka.primary != kb.primary)
                c = ka.primary < kb.primary ? -1 : 1;
            else if (ka.secondary != kb.secondary)
                c = ka.secondary < kb.secondary ? -1 : 1;
        }
        if (c != 0) return descending ? c > 0 : c < 0;
        return a < b;
    };
    std::sort(order.begin(), order.end(), less);

    std::vector<std::unique_ptr<TVantrelObject>> sorted;
    sorted.reserve(n);
    for (std::size_t i : order) sorted.push_back(std::move(m_series[i]));
    m_series = std::move(sorted);
}
