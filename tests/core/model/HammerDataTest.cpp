#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "ModelTestSupport.h"
#include "model/InvalidIndexError.h"

namespace {

class HammerData : public ::testing::Test {
  protected:
    CFakeOwner owner;
    CHammerData data{&owner};

    void Add(TVantrelObject s, const char16_t* comment = u"") {
        s.Comment = comment;
        data.AppendSeries(std::move(s));
    }
    std::u16string Comments() const {
        std::u16string all;
        for (int i = 0; i < data.GetCount(); ++i) all += data.GetComment(i);
        return all;
    }
};

// Setters that always mark the project modified, also for an index beyond the
// count (where they change nothing).
TEST_F(HammerData, MarkingSetters) {
    struct SSetter {
        const char* what;
        std::function<void(CHammerData&, int)> set;
        std::function<bool(const TVantrelObject&)> applied;
    };
    const SSetter setters[] = {
        {"DiagramOrder", [](CHammerData& d, int i) { d.SetDiagramOrder(i, 1); },
         [](const TVantrelObject& s) { return s.DiagramOrder == 1; }},
        {"AveragingMode", [](CHammerData& d, int i) { d.SetAveragingMode(i, kModeMeanASTM); },
         [](const TVantrelObject& s) { return s.AveragingMode == kModeMeanASTM; }},
        {"Unit", [](CHammerData& d, int i) { d.SetUnit(i, kUnitPSI); },
         [](const TVantrelObject& s) { return s.Unit == kUnitPSI; }},
        {"CurveId", [](CHammerData& d, int i) { d.SetCurveId(i, 13); },
         [](const TVantrelObject& s) { return s.CurveId == 13; }},
        {"FormCode", [](CHammerData& d, int i) { d.SetFormCode(i, 7); },
         [](const TVantrelObject& s) { return s.FormCode == 7; }},
        {"CarbonationCode", [](CHammerData& d, int i) { d.SetCarbonationCode(i, 5); },
         [](const TVantrelObject& s) { return s.CarbonationCode == 5; }},
        {"Expanded", [](CHammerData& d, int i) { d.SetExpanded(i, 1); },
         [](const TVantrelObject& s) { return s.Expanded == 1; }},
        {"Name", [](CHammerData& d, int i) { d.SetName(i, u"Wall 3"); },
         [](const TVantrelObject& s) { return s.Name == u"Wall 3"; }},
        {"Comment", [](CHammerData& d, int i) { d.SetComment(i, u"dry"); },
         [](const TVantrelObject& s) { return s.Comment == u"dry"; }},
    };
    for (const auto& s : setters) {
        data.Clear();
        Add(MakeSeries({40, 41, 42}));
        owner.modified = 0;

        s.set(data, 0);
        EXPECT_TRUE(s.applied(data.Series(0))) << s.what;
        EXPECT_EQ(owner.modified, 1) << s.what;

        data.Clear();
        Add(MakeSeries({40, 41, 42}));
        s.set(data, 1);
        EXPECT_FALSE(s.applied(data.Series(0))) << s.what;
        EXPECT_EQ(owner.modified, 2) << s.what;

        EXPECT_THROW(s.set(data, -1), CInvalidIndexError) << s.what;
        EXPECT_EQ(owner.modified, 2) << s.what;
    }
}

TEST_F(HammerData, CheckedSettersRaiseForEveryIndexOutside) {
    Add(MakeSeries({40, 41, 42}));
    for (int bad : {-1, 1, 7}) {
        EXPECT_THROW(data.SetDateTime(bad, 5), CInvalidIndexError);
        EXPECT_THROW(data.SetUpperOutliers(bad, 1), CInvalidIndexError);
        EXPECT_THROW(data.SetLowerOutliers(bad, 1), CInvalidIndexError);
        EXPECT_THROW(data.SetUseInSummary(bad, 0), CInvalidIndexError);
        EXPECT_THROW(data.DeleteSeries(bad), CInvalidIndexError);
        EXPECT_THROW(data.GetName(bad), CInvalidIndexError);
        EXPECT_THROW(data.CalcStatistics(bad), CInvalidIndexError);
    }
    EXPECT_THROW(data.GetReadingQHalf(0, 3), CInvalidIndexError);
    EXPECT_THROW(data.GetReadingFlag(0, -1), CInvalidIndexError);
    EXPECT_EQ(data.GetCount(), 1);
    EXPECT_EQ(owner.modified, 0);
    EXPECT_TRUE(owner.notices.empty());
}

// Time, outlier counts and summary membership are saved with the project, so a
// change of them is an unsaved change; setting the same value is none.
TEST_F(HammerData, CheckedSettersMarkOnlyRealChanges) {
    Add(MakeSeries({40, 41, 42}));
    data.SetDateTime(0, 0);
    data.SetUpperOutliers(0, 0);
    EXPECT_EQ(owner.modified, 0);
    data.SetDateTime(0, 3600);
    EXPECT_EQ(data.GetDateTime(0), 3600u);
    EXPECT_EQ(owner.modified, 1);
    data.SetLowerOutliers(0, 1);
    EXPECT_EQ(owner.modified, 2);
}

TEST_F(HammerData, JgjNeedsSevenReadings) {
    Add(RepeatQ(40, 6));
    Add(RepeatQ(40, 7));
    data.SetAveragingMode(0, kModeMeanJGJ);
    data.SetAveragingMode(1, kModeMeanJGJ);
    EXPECT_EQ(data.GetAveragingMode(0), kModeMean);
    EXPECT_EQ(data.GetAveragingMode(1), kModeMeanJGJ);
}

TEST_F(HammerData, OutlierCountsLeaveAtLeastOneReading) {
    Add(RepeatQ(40, 10));
    data.SetLowerOutliers(0, 4);
    data.SetUpperOutliers(0, 6);
    EXPECT_EQ(data.GetUpperOutliers(0), 0);
    data.SetUpperOutliers(0, 5);
    EXPECT_EQ(data.GetUpperOutliers(0), 5);
    data.SetLowerOutliers(0, 5);
    EXPECT_EQ(data.GetLowerOutliers(0), 4);
    data.SetLowerOutliers(0, 2);
    EXPECT_EQ(data.GetLowerOutliers(0), 2);
}

TEST_F(HammerData, SummaryMembershipTellsTheViews) {
    Add(MakeSeries({40}));
    Add(MakeSeries({41}));
    EXPECT_EQ(data.SetUseInSummary(1, 0), 1);
    EXPECT_EQ(data.SetUseInSummary(1, 0), 0);
    EXPECT_EQ(owner.notices, (std::vector<int>{1, 1}));
    EXPECT_EQ(owner.modified, 1);
    data.SetUseInSummaryAll(1);
    EXPECT_EQ(owner.notices.back(), -1);
    EXPECT_EQ(data.GetUseInSummary(0), 1);
    EXPECT_EQ(data.GetUseInSummary(1), 1);
}

TEST_F(HammerData, CopyIsDeepAndStartsFreshDisplayState) {
    CHammerData original;
    TVantrelObject s = MakeSeries({30, 40, 40, 41, 60}, kModeMedianEN);
    s.Version = CVersion(1, 2, 3, 4);
    s.DiagramOrder = 0;
    s.Name = u"Pillar";
    s.DeviceInfoA = -7;
    s.ExtraText = u"old";
    Model::CalcStatistics(s);  // sets a flag
    original.AppendSeries(s);
    original.SetSortKey(6);

    data.CopyFrom(original);
    ASSERT_EQ(data.GetCount(), 1);
    const TVantrelObject& c = data.Series(0);
    EXPECT_EQ(c.Version, CVersion());
    EXPECT_EQ(c.DiagramOrder, -1);
    EXPECT_EQ(c.ReadingFlags, std::vector<std::uint8_t>(5, 0));
    EXPECT_EQ(c.Name, u"Pillar");
    EXPECT_EQ(c.DeviceInfoA, -7);
    EXPECT_EQ(c.ExtraText, u"old");
    EXPECT_EQ(c.Readings, s.Readings);
    EXPECT_EQ(data.GetSortKey(), 6);

    data.SetName(0, u"changed");
    EXPECT_EQ(original.GetName(0), u"Pillar");

    data.CopyFrom(data);  // onto itself: nothing lost
    EXPECT_EQ(data.GetCount(), 1);
    EXPECT_EQ(data.GetName(0), u"changed");
}

TEST_F(HammerData, ImportDownloadReplacesTheSeries) {
    Add(MakeSeries({40}));
    data.SetSortKey(3);
    TDownloadedSeries r;
    r.ImpactCounter = 17;
    r.DeviceInfoA = -3;
    r.DateTime = 86400;
    r.DeviceCount = 2;
    r.AveragingMode = kModeMedianEN;
    r.DeviceInfoB = 0xB;
    r.DeviceInfoC = 0xC;
    r.UpperOutliers = 1;
    r.LowerOutliers = 2;
    r.CurveId = 10;
    r.Unit = kUnitMPa;
    r.FormCode = 3;
    r.DeviceInfoD = 0xD;
    r.CarbonationCode = 4;
    r.SerialNumber = "SN-\xE9";  // Windows-1252 e acute
    r.DeviceType = "Talvenbrecker   N";
    r.DeviceInfo = "HW2";
    r.NewDataFormat = true;
    r.Readings = {TMeas{80, 1234, 7}, TMeas{255, 0, 0}};
    const TDownloadedSeries records[] = {r, TDownloadedSeries{}};

    EXPECT_EQ(data.ImportDownload(records), 2);
    EXPECT_EQ(data.GetSortKey(), 0);
    const TVantrelObject& s = data.Series(0);
    EXPECT_EQ(s.ImpactCounter, 17);
    EXPECT_EQ(s.DeviceInfoA, -3);
    EXPECT_EQ(s.DateTime, 86400u);
    EXPECT_EQ(s.DeviceCount, 2);
    EXPECT_EQ(s.AveragingMode, kModeMedianEN);
    EXPECT_EQ(s.DeviceInfoB, 0xB);
    EXPECT_EQ(s.DeviceInfoC, 0xC);
    EXPECT_EQ(s.UpperOutliers, 1);
    EXPECT_EQ(s.LowerOutliers, 2);
    EXPECT_EQ(s.CurveId, 10);
    EXPECT_EQ(s.Unit, kUnitMPa);
    EXPECT_EQ(s.FormCode, 3);
    EXPECT_EQ(s.DeviceInfoD, 0xD);
    EXPECT_EQ(s.CarbonationCode, 4);
    EXPECT_EQ(s.SerialNumber, u"SN-\u00E9");
    EXPECT_EQ(s.DeviceInfo, u"HW2");
    EXPECT_EQ(s.NewDataFormat, 1);
    EXPECT_TRUE(data.IsTypeN(0));
    EXPECT_EQ(s.Readings, r.Readings);
    EXPECT_EQ(s.ReadingFlags.size(), 2u);
    EXPECT_EQ(s.UseInSummary, 1);
    EXPECT_EQ(s.DiagramOrder, -1);
    EXPECT_FLOAT_EQ(s.Readings[1].Q(), 127.5f);
    EXPECT_FLOAT_EQ(s.Readings[0].Q(), 40.0f);
}

TEST_F(HammerData, HammerType) {
    struct SCase {
        std::u16string type;
        std::uint8_t newFormat;
        bool typeN;
    };
    const SCase cases[] = {
        {u"Talvenbrecker  N", 0, true},   {u"Talvenbrecker  L", 0, false}, {u"Talvenbrecker   N", 1, true},
        {u"Talvenbrecker  N ", 1, false}, {u"Talvenbrecker  N", 1, false}, {u"", 0, false},
    };
    for (const auto& c : cases) {
        TVantrelObject s;
        s.DeviceType = c.type;
        s.NewDataFormat = c.newFormat;
        EXPECT_EQ(IsTypeN(s), c.typeN) << c.type.size() << "/" << int(c.newFormat);
    }
}

TEST_F(HammerData, DeleteClosesTheGap) {
    Add(MakeSeries({40}), u"a");
    Add(MakeSeries({41}), u"b");
    Add(MakeSeries({42}), u"c");
    data.DeleteSeries(1);
    EXPECT_EQ(Comments(), u"ac");
    EXPECT_EQ(owner.modified, 1);
    data.Clear();
    EXPECT_FALSE(data.HasSeries());
}

TEST_F(HammerData, MergeSingleSeries) {
    const std::pair<std::uint16_t, std::uint32_t> meta[] = {{30, 5000}, {10, 9000}, {20, 1000}};
    for (int i = 0; i < 3; ++i) {
        TVantrelObject s = MakeSeries({40.0 + i}, kModeSingle);
        s.ImpactCounter = meta[i].first;
        s.DateTime = meta[i].second;
        s.DeviceCount = 1;
        Add(s);
    }
    EXPECT_TRUE(data.MergeSingleInto(1, 0));
    EXPECT_TRUE(data.MergeSingleInto(2, 0));
    const TVantrelObject& t = data.Series(0);
    EXPECT_EQ(t.AveragingMode, kModeMean);
    ASSERT_EQ(t.Readings.size(), 3u);
    EXPECT_EQ(t.Readings[1].QHalf, 82);
    EXPECT_EQ(t.Readings[2].QHalf, 84);
    EXPECT_EQ(t.ReadingFlags, std::vector<std::uint8_t>(3, 0));
    EXPECT_EQ(t.DeviceCount, 3);
    EXPECT_EQ(t.ImpactCounter, 10);
    EXPECT_EQ(t.DateTime, 1000u);
    EXPECT_EQ(t.UseInSummary, 0);
    EXPECT_EQ(data.GetCount(), 3);  // the caller deletes the sources

    // Refused: not a Single source, the target itself, a source without a reading.
    data.Series(2).AveragingMode = kModeMean;
    EXPECT_FALSE(data.MergeSingleInto(2, 1));
    EXPECT_FALSE(data.MergeSingleInto(1, 1));
    Add(MakeSeries({}, kModeSingle));
    EXPECT_FALSE(data.MergeSingleInto(3, 1));
    EXPECT_EQ(data.Series(1).Readings.size(), 1u);
    EXPECT_EQ(data.Series(1).AveragingMode, kModeSingle);
    EXPECT_THROW(data.MergeSingleInto(9, 0), CInvalidIndexError);
}

TEST_F(HammerData, NewDataFormatState) {
    EXPECT_EQ(data.GetNewDataFormatState(), -1);
    TVantrelObject oldFormat = MakeSeries({40});
    oldFormat.NewDataFormat = 0;
    Add(oldFormat);
    EXPECT_EQ(data.GetNewDataFormatState(), 1);
    Add(MakeSeries({40}));
    EXPECT_EQ(data.GetNewDataFormatState(), 0);
    data.DeleteSeries(0);
    EXPECT_EQ(data.GetNewDataFormatState(), 2);
}

// Each row gives three series values of one sort key by rank; the series are
// added in the rank order 2, 0, 1 and carry their rank as comment.
TEST_F(HammerData, SortKeys) {
    using Setup = std::function<void(TVantrelObject&, int)>;
    auto readings = [](TVantrelObject& s, std::initializer_list<double> q) {
        s.Readings = MakeSeries(q).Readings;
    };
    const std::pair<std::uint8_t, Setup> rows[] = {
        {1,
         [](TVantrelObject& s, int r) { s.ImpactCounter = static_cast<std::uint16_t>(100 - 10 * (2 - r)); }},
        {3, [](TVantrelObject& s, int r) { s.DateTime = static_cast<std::uint32_t>(r * 86400); }},
        {5, [](TVantrelObject& s, int r) { s.Name = std::u16string(u"Bb") + char16_t(u'a' + r); }},
        {7,
         [&](TVantrelObject& s, int r) {
             readings(s, {40.0 + 5 * r, 40.0 + 5 * r});
         }},
        {9,
         [](TVantrelObject& s, int r) {
             s.AveragingMode = std::array<std::uint8_t, 3>{0, 2, 5}[r];
         }},
        {11, [](TVantrelObject& s, int r) { s.UpperOutliers = static_cast<std::uint8_t>(r); }},
        {13, [](TVantrelObject& s, int r) { s.LowerOutliers = static_cast<std::uint8_t>(r); }},
        {15,
         [&](TVantrelObject& s, int r) {
             readings(s, {40.0 - r, 40.0 + r});
         }},
        {17, [&](TVantrelObject& s,
                 int r) { s.Readings.resize(static_cast<std::size_t>(3 + r), s.Readings[0]); }},
        {19, [](TVantrelObject& s, int r) { s.CurveId = static_cast<std::uint8_t>(10 + r); }},
        {21, [](TVantrelObject& s, int r) { s.FormCode = static_cast<std::uint8_t>(r); }},
        {23, [](TVantrelObject& s, int r) { s.CarbonationCode = static_cast<std::uint8_t>(r * 7); }},
        {25,
         [](TVantrelObject& s, int r) {
             for (auto& m : s.Readings) m.Energy = static_cast<std::uint16_t>(1000 * (r + 1));
         }},
        {27,
         [&](TVantrelObject& s, int r) {
             readings(s, {60.0 - 10 * r, 60.0 - 10 * r});  // lower Q, but
             for (auto& m : s.Readings) m.Energy = static_cast<std::uint16_t>(1000 * (r + 1) * (r + 1));
         }},
    };
    for (const auto& [key, setup] : rows) {
        data.Clear();
        for (int rank : {2, 0, 1}) {
            TVantrelObject s = RepeatQ(40, 3);
            setup(s, rank);
            Add(s, rank == 0 ? u"0" : rank == 1 ? u"1" : u"2");
        }
        data.Sort(key);
        EXPECT_EQ(Comments(), u"012") << "key " << int(key);
        EXPECT_EQ(data.GetSortKey(), key);
        data.Sort(static_cast<std::uint8_t>(key + 1));
        EXPECT_EQ(Comments(), u"210") << "key " << int(key + 1);
        data.Sort(static_cast<std::uint8_t>(key + 1));
        EXPECT_EQ(Comments(), u"210") << "key " << int(key + 1) << " twice";
    }
}

TEST_F(HammerData, SortByCountThenValidCountAndOtherKeys) {
    Add(MakeSeries({40, 40, 40, 90}, kModeMedianEN), u"a");  // 3 valid
    Add(MakeSeries({40, 40, 40, 40}, kModeMedianEN), u"b");  // 4 valid
    Add(MakeSeries({40, 40, 40}, kModeMedianEN), u"c");
    data.Sort(17);
    EXPECT_EQ(Comments(), u"cab");
    EXPECT_EQ(data.GetReadingFlag(1, 3), 1);  // statistics refreshed the flags

    for (std::uint8_t key : {0, 29, 255}) {
        owner.modified = 0;
        data.Sort(key);
        EXPECT_EQ(Comments(), u"cab");
        EXPECT_EQ(data.GetSortKey(), key);
        EXPECT_EQ(owner.modified, 1);
    }
}

}  // namespace
