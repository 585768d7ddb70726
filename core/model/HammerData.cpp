#include "model/HammerData.h"

#include <algorithm>

#include "model/Conversion.h"
#include "model/DataOwner.h"
#include "model/InvalidIndexError.h"
#include "model/ModelTypes.h"
#include "text/Encoding.h"

void CHammerData::CheckIndex(int index, const char* what) const {
    if (index < 0 || index >= GetCount()) throw CInvalidIndexError(what, index, GetCount());
}

TVantrelObject* CHammerData::SeriesForMarkingSetter(int index, const char* what) {
    if (index < 0) throw CInvalidIndexError(what, index, GetCount());
    MarkModified();
    return index < GetCount() ? m_series[static_cast<std::size_t>(index)].get() : nullptr;
}

void CHammerData::MarkModified() {
    if (m_owner) m_owner->SetModifiedFlag();
}

void CHammerData::Notify(int index) {
    if (m_owner) m_owner->NotifyViews(index);
}

const TVantrelObject& CHammerData::Series(int index) const {
    CheckIndex(index, "CHammerData::Series");
    return *m_series[static_cast<std::size_t>(index)];
}

TVantrelObject& CHammerData::Series(int index) {
    CheckIndex(index, "CHammerData::Series");
    return *m_series[static_cast<std::size_t>(index)];
}

void CHammerData::Clear() {
    m_series.clear();
    m_sortKey = 0;
}

void CHammerData::CopyFrom(const CHammerData& other) {
    // Built aside first so that copying a container onto itself loses nothing.
    std::vector<std::unique_ptr<TVantrelObject>> copy;
    copy.reserve(other.m_series.size());
    for (const auto& s : other.m_series) {
        auto c = std::make_unique<TVantrelObject>(*s);
        c->Version = CVersion();
        c->DiagramOrder = -1;
        c->ResetReadingFlags();
        copy.push_back(std::move(c));
    }
    const std::uint8_t key = other.m_sortKey;
    m_series = std::move(copy);
    m_sortKey = key;
}

int CHammerData::ImportDownload(std::span<const TDownloadedSeries> records) {
    Clear();
    m_series.reserve(records.size());
    for (const auto& r : records) {
        auto s = std::make_unique<TVantrelObject>();
        s->ImpactCounter = r.ImpactCounter;
        s->DeviceInfoA = r.DeviceInfoA;
        s->DateTime = r.DateTime;
        s->DeviceCount = r.DeviceCount;
        s->AveragingMode = r.AveragingMode;
        s->DeviceInfoB = r.DeviceInfoB;
        s->DeviceInfoC = r.DeviceInfoC;
        s->UpperOutliers = r.UpperOutliers;
        s->LowerOutliers = r.LowerOutliers;
        s->CurveId = r.CurveId;
        s->Unit = r.Unit;
        s->FormCode = r.FormCode;
        s->DeviceInfoD = r.DeviceInfoD;
        s->CarbonationCode = r.CarbonationCode;
        s->SerialNumber = Text::FromCp1252(r.SerialNumber);
        s->DeviceType = Text::FromCp1252(r.DeviceType);
        s->DeviceInfo = Text::FromCp1252(r.DeviceInfo);
        s->NewDataFormat = r.NewDataFormat ? 1 : 0;
        s->Readings = r.Readings;
        s->ResetReadingFlags();
        m_series.push_back(std::move(s));
    }
    return GetCount();
}

void CHammerData::AppendSeries(TVantrelObject series) {
    if (series.ReadingFlags.size() != series.Readings.size()) series.ResetReadingFlags();
    m_series.push_back(std::make_unique<TVantrelObject>(std::move(series)));
}

void CHammerData::DeleteSeries(int index) {
    CheckIndex(index, "CHammerData::DeleteSeries");
    m_series.erase(m_series.begin() + index);
    MarkModified();
}

bool CHammerData::MergeSingleInto(int source, int target) {
    CheckIndex(source, "CHammerData::MergeSingleInto source");
    CheckIndex(target, "CHammerData::MergeSingleInto target");
    const TVantrelObject& src = *m_series[static_cast<std::size_t>(source)];
    TVantrelObject& dst = *m_series[static_cast<std::size_t>(target)];
    // A source without a reading has nothing to give; merging it would lose the
    // series once the caller deletes the source.
    if (source == target || src.AveragingMode != kModeSingle || src.Readings.empty()) return false;

    if (dst.AveragingMode == kModeSingle) dst.AveragingMode = kModeMean;
    dst.ReadingFlags.resize(dst.Readings.size(), 0);
    dst.Readings.push_back(src.Readings.front());
    dst.ReadingFlags.push_back(0);
    dst.UseInSummary = 0;
    if (dst.DeviceCount < 255) ++dst.DeviceCount;
    dst.ImpactCounter = std::min(dst.ImpactCounter, src.ImpactCounter);
    dst.DateTime = std::min(dst.DateTime, src.DateTime);
    MarkModified();
    return true;
}

int CHammerData::GetNewDataFormatState() const {
    if (m_series.empty()) return -1;
    const auto withNew =
        std::count_if(m_series.begin(), m_series.end(), [](const auto& s) { return s->NewDataFormat; });
    if (withNew == 0) return 1;
    if (withNew == static_cast<std::ptrdiff_t>(m_series.size())) return 2;
    return 0;
}

TStatistics CHammerData::CalcStatistics(int index) {
    return Model::CalcStatistics(Series(index));
}

int CHammerData::GetEffectiveUpperOutliers(int index) const {
    return Model::GetEffectiveUpperOutliers(Series(index));
}

int CHammerData::GetEffectiveLowerOutliers(int index) const {
    return Model::GetEffectiveLowerOutliers(Series(index));
}

double CHammerData::GetSeriesFormFactor(int index) const {
    return Model::GetSeriesFormFactor(Series(index));
}

std::u16string CHammerData::GetModeName(int index) const {
    return Model::GetModeName(Series(index).AveragingMode);
}

std::u16string CHammerData::GetUnitText(int index) const {
    return Model::GetUnitText(Series(index).Unit);
}

std::u16string CHammerData::GetCurveName(int index) const {
    return Model::GetCurveName(Series(index).CurveId);
}

std::u16string CHammerData::GetFormText(int index) const {
    const TVantrelObject& s = Series(index);
    return Model::GetFormText(s.FormCode, s.Unit == kUnitPSI, Model::GetSeriesFormFactor(s));
}

std::u16string CHammerData::GetCarbonationText(int index) const {
    return Model::GetCarbonationText(Series(index));
}

int CHammerData::GetDisplayDecimals(int index) const {
    return Model::GetDisplayDecimals(Series(index));
}

std::uint8_t CHammerData::GetReadingQHalf(int index, int reading) const {
    const TVantrelObject& s = Series(index);
    if (reading < 0 || reading >= s.ReadingCount())
        throw CInvalidIndexError("CHammerData::GetReadingQHalf", reading, s.ReadingCount());
    return s.Readings[static_cast<std::size_t>(reading)].QHalf;
}

std::uint8_t CHammerData::GetReadingFlag(int index, int reading) const {
    const TVantrelObject& s = Series(index);
    if (reading < 0 || reading >= s.ReadingCount())
        throw CInvalidIndexError("CHammerData::GetReadingFlag", reading, s.ReadingCount());
    return s.ReadingFlag(static_cast<std::size_t>(reading));
}

bool CHammerData::IsTypeN(int index) const {
    return ::IsTypeN(Series(index));
}

void CHammerData::SetDiagramOrder(int index, std::int16_t order) {
    if (auto* s = SeriesForMarkingSetter(index, "CHammerData::SetDiagramOrder")) s->DiagramOrder = order;
}

void CHammerData::SetAveragingMode(int index, std::uint8_t mode) {
    auto* s = SeriesForMarkingSetter(index, "CHammerData::SetAveragingMode");
    if (!s) return;
    if (mode == kModeMeanJGJ && s->Readings.size() < 7) return;
    s->AveragingMode = mode;
}

void CHammerData::SetUnit(int index, std::uint8_t unit) {
    if (auto* s = SeriesForMarkingSetter(index, "CHammerData::SetUnit")) s->Unit = unit;
}

void CHammerData::SetCurveId(int index, std::uint8_t curveId) {
    if (auto* s = SeriesForMarkingSetter(index, "CHammerData::SetCurveId")) s->CurveId = curveId;
}

void CHammerData::SetFormCode(int index, std::uint8_t formCode) {
    if (auto* s = SeriesForMarkingSetter(index, "CHammerData::SetFormCode")) s->FormCode = formCode;
}

void CHammerData::SetCarbonationCode(int index, std::uint8_t code) {
    if (auto* s = SeriesForMarkingSetter(index, "CHammerData::SetCarbonationCode")) s->CarbonationCode = code;
}

void CHammerData::SetExpanded(int index, std::uint8_t expanded) {
    if (auto* s = SeriesForMarkingSetter(index, "CHammerData::SetExpanded")) s->Expanded = expanded;
}

void CHammerData::SetName(int index, std::u16string name) {
    if (auto* s = SeriesForMarkingSetter(index, "CHammerData::SetName")) s->Name = std::move(name);
}

void CHammerData::SetComment(int index, std::u16string comment) {
    if (auto* s = SeriesForMarkingSetter(index, "CHammerData::SetComment")) s->Comment = std::move(comment);
}

// The time, the outlier counts and the summary membership are saved with the
// project, so changing them is an unsaved change like any other.
void CHammerData::SetDateTime(int index, std::uint32_t dateTime) {
    TVantrelObject& s = Series(index);
    if (s.DateTime == dateTime) return;
    s.DateTime = dateTime;
    MarkModified();
}

void CHammerData::SetUpperOutliers(int index, std::uint8_t count) {
    TVantrelObject& s = Series(index);
    const long long left = static_cast<long long>(s.Readings.size()) - s.LowerOutliers - count;
    if (left <= 0 || s.UpperOutliers == count) return;
    s.UpperOutliers = count;
    MarkModified();
}

void CHammerData::SetLowerOutliers(int index, std::uint8_t count) {
    TVantrelObject& s = Series(index);
    const long long left = static_cast<long long>(s.Readings.size()) - s.UpperOutliers - count;
    if (left <= 0 || s.LowerOutliers == count) return;
    s.LowerOutliers = count;
    MarkModified();
}

std::uint8_t CHammerData::SetUseInSummary(int index, std::uint8_t use) {
    TVantrelObject& s = Series(index);
    const std::uint8_t previous = s.UseInSummary;
    s.UseInSummary = use;
    if (previous != use) MarkModified();
    Notify(index);
    return previous;
}

void CHammerData::SetUseInSummaryAll(std::uint8_t use) {
    bool changed = false;
    for (auto& s : m_series) {
        changed = changed || s->UseInSummary != use;
        s->UseInSummary = use;
    }
    if (changed) MarkModified();
    Notify(-1);
}
