#include <gtest/gtest.h>

#include <vector>

#include "ModelTestSupport.h"
#include "model/SummaryData.h"

namespace {

class Summary : public ::testing::Test {
  protected:
    CCurveStoreScope scope;
    CFakeOwner owner;
    CHammerData working{&owner};
    CSummaryData summary{&owner};

    void Add(std::uint8_t mode, std::uint8_t unit, double q = 40, std::uint8_t use = 1) {
        TVantrelObject s = MakeSeries({q, q}, mode, unit);
        s.UseInSummary = use;
        working.AppendSeries(s);
    }
    std::vector<int> Used() const {
        std::vector<int> used;
        for (int i = 0; i < working.GetCount(); ++i) used.push_back(working.GetUseInSummary(i));
        return used;
    }
};

struct SGroupCase {
    const char* what;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> series;  // mode, unit
    std::vector<int> used;
    std::uint8_t unit;
    std::uint8_t mode;
};

TEST_F(Summary, KeepsTheLargestCompatibleGroup) {
    const std::uint8_t S = kModeSingle, M = kModeMean;
    const SGroupCase cases[] = {
        {"3 MPa beat 2 N/mm2", {{M, 5}, {M, 2}, {M, 5}, {M, 2}, {M, 5}}, {1, 0, 1, 0, 1}, 5, M},
        {"tie: the lower unit", {{M, 5}, {M, 2}, {M, 5}, {M, 2}}, {0, 1, 0, 1}, 2, M},
        {"3 Single Q beat 2 MPa", {{S, 1}, {M, 5}, {S, 1}, {M, 5}, {S, 1}}, {1, 0, 1, 0, 1}, 1, S},
        {"tie: non-Single beats Single Q", {{S, 1}, {M, 5}}, {0, 1}, 5, M},
        {"tie: Single Q beats Single R", {{S, 0}, {S, 1}}, {0, 1}, 1, S},
        {"Single R alone", {{S, 0}, {S, 0}, {S, 1}}, {1, 1, 0}, 0, S},
        {"Single and non-Single in Q do not mix", {{S, 1}, {M, 1}, {M, 1}}, {0, 1, 1}, 1, M},
        {"never counted: unknown unit, Single in a strength", {{M, 9}, {S, 2}, {M, 3}}, {0, 0, 1}, 3, M},
        {"mixed modes share a unit", {{M, 2}, {kModeMedianEN, 2}}, {1, 1}, 2, kSummaryDifferent},
    };
    for (const auto& c : cases) {
        working.Clear();
        for (const auto& [mode, unit] : c.series) Add(mode, unit);
        ASSERT_TRUE(summary.BuildSummary(working)) << c.what;
        EXPECT_EQ(Used(), c.used) << c.what;
        EXPECT_EQ(summary.Entry(0).Unit, c.unit) << c.what;
        EXPECT_EQ(summary.Entry(0).Mode, c.mode) << c.what;
        int expectedValues = 0;
        for (int u : c.used) expectedValues += u;
        EXPECT_EQ(summary.GetValueCount(0), expectedValues) << c.what;
    }
}

TEST_F(Summary, ValuesAndSharedSettings) {
    Add(kModeMean, kUnitQ, 30);
    Add(kModeMean, kUnitQ, 99, 0);  // not taking part
    Add(kModeMean, kUnitQ, 50);
    working.Series(0).Name = u"first";
    working.Series(0).ImpactCounter = 7;
    working.Series(0).DateTime = 5000;
    working.Series(2).DateTime = 100;
    working.Series(2).CurveId = 13;
    working.Series(2).SerialNumber = u"other";
    working.Series(2).CarbonationCode = 3;

    ASSERT_TRUE(summary.BuildSummary(working));
    ASSERT_EQ(summary.GetValueCount(0), 2);
    const TMeasConverted& v = summary.GetValue(0, 0);
    EXPECT_EQ(v.QHalf, 60);
    EXPECT_FLOAT_EQ(v.Value, 30.0f);
    EXPECT_EQ(v.Name, u"first");
    EXPECT_EQ(v.ImpactCounter, 7);
    EXPECT_EQ(v.Valid, 1u);
    EXPECT_EQ(v.SeriesIndex, 0u);
    EXPECT_EQ(summary.GetValue(0, 1).SeriesIndex, 2u);
    EXPECT_EQ(working.GetUseInSummary(1), 0);  // untouched
    EXPECT_EQ(summary.GetFirstDateTime(0), 100u);
    EXPECT_EQ(summary.GetLastDateTime(0), 5000u);

    EXPECT_EQ(summary.Entry(0).CurveId, kSummaryDifferent);
    EXPECT_EQ(summary.GetCurveName(0), u"different curves");
    EXPECT_EQ(summary.GetSerialNumber(0), u"Different serials");
    EXPECT_EQ(summary.Entry(0).CarbonationCode, kSummaryDifferentCarbonation);
    EXPECT_EQ(summary.GetCarbonationText(0), u"different carb. depths");
    EXPECT_EQ(summary.GetFormText(0), u"Cube 150mm");
    EXPECT_EQ(summary.GetModeName(0), u"Mean");
    EXPECT_EQ(summary.GetUnitText(0), u"Q");
    EXPECT_EQ(owner.modified, 0);  // building is no edit
}

TEST_F(Summary, Statistics) {
    Add(kModeMean, kUnitQ, 50);
    Add(kModeMean, kUnitQ, 30);
    Add(kModeMean, kUnitQ, 40);
    ASSERT_TRUE(summary.BuildSummary(working));

    TSummaryStatistics st = summary.CalcSummaryStatistics(0, kSummaryMedian);
    EXPECT_FLOAT_EQ(st.MeanQ, 40.0f);
    EXPECT_FLOAT_EQ(st.MeanValue, 40.0f);
    EXPECT_FLOAT_EQ(st.StdDevQ, 10.0f);
    EXPECT_FLOAT_EQ(st.StdDevValue, 10.0f);
    EXPECT_FLOAT_EQ(st.MeanEnergy, 0.0f);  // values carry no energy
    EXPECT_EQ(st.ValueCount, 3);
    EXPECT_EQ(st.UsableCount, 3);
    EXPECT_EQ(st.ValidCount, 3);

    // An invalid series counts and is flagged; one without a value is listed only.
    working.Clear();
    Add(kModeMean, kUnitQ, 30);
    Add(kModeMean, kUnitQ, 45);
    working.AppendSeries(RepeatQ(41, 7, kModeMeanJGJ));  // JGJ needs 16 readings: invalid
    Add(kModeMeanJIS, kUnitQ, 80);                       // computes no value
    ASSERT_TRUE(summary.BuildSummary(working));
    ASSERT_EQ(summary.GetValueCount(0), 4);
    EXPECT_EQ(summary.GetValue(0, 3).Value, kNoValue);

    st = summary.CalcSummaryStatistics(0, kSummaryMean);
    EXPECT_FLOAT_EQ(st.MeanQ, 38.666666f);
    EXPECT_FLOAT_EQ(st.MeanValue, 38.666666f);
    EXPECT_EQ(st.ValueCount, 4);
    EXPECT_EQ(st.UsableCount, 3);
    EXPECT_EQ(st.ValidCount, 2);
    EXPECT_EQ(summary.Entry(0).ValueFlags, (std::vector<std::uint8_t>{0, 0, 1, 0}));

    st = summary.CalcSummaryStatistics(0, kSummaryMedian);  // of 30, 41 and 45
    EXPECT_FLOAT_EQ(st.MeanQ, 41.0f);
    EXPECT_FLOAT_EQ(st.MeanValue, 41.0f);
    Add(kModeMean, kUnitQ, 43);
    ASSERT_TRUE(summary.BuildSummary(working));
    st = summary.CalcSummaryStatistics(0, kSummaryMedian);  // even count: the middle two
    EXPECT_FLOAT_EQ(st.MeanQ, 42.0f);
    EXPECT_FLOAT_EQ(st.MeanValue, 42.0f);

    st = summary.CalcSummaryStatistics(0, 3);  // no such averaging: nothing computed
    EXPECT_EQ(st.MeanValue, kNoValue);
    EXPECT_EQ(st.MeanQ, kNoValue);
    EXPECT_EQ(st.StdDevQ, kNoValue);
    EXPECT_EQ(st.UsableCount, 4);
}

TEST_F(Summary, WithoutUsableValuesThereIsNoValue) {
    Add(kModeMeanJIS, kUnitQ);
    Add(kModeMeanRUS, kUnitQ);
    ASSERT_TRUE(summary.BuildSummary(working));
    for (std::uint8_t averaging : {kSummaryMedian, kSummaryMean}) {
        const TSummaryStatistics st = summary.CalcSummaryStatistics(0, averaging);
        EXPECT_EQ(st.MeanQ, kNoValue);
        EXPECT_EQ(st.MeanValue, kNoValue);
        EXPECT_EQ(st.StdDevQ, kNoValue);
        EXPECT_EQ(st.StdDevValue, kNoValue);
        EXPECT_EQ(st.MeanEnergy, kNoValue);
        EXPECT_EQ(st.ValueCount, 2);
        EXPECT_EQ(st.UsableCount, 0);
        EXPECT_EQ(st.ValidCount, 0);
    }
    working.SetUseInSummaryAll(0);
    ASSERT_TRUE(summary.BuildSummary(working));
    EXPECT_EQ(summary.CalcSummaryStatistics(0, kSummaryMean).ValueCount, 0);
}

TEST_F(Summary, AfterTheLastSeriesIsGoneTheSummaryIsEmpty) {
    EXPECT_FALSE(summary.BuildSummary(working));
    EXPECT_EQ(summary.GetEntryCount(), 0);

    Add(kModeMean, kUnitQ);
    ASSERT_TRUE(summary.BuildSummary(working));
    summary.SetTitle(0, u"Floor 2");
    working.DeleteSeries(0);
    EXPECT_FALSE(summary.BuildSummary(working));
    EXPECT_EQ(summary.GetValueCount(0), 0);
    EXPECT_EQ(summary.CalcSummaryStatistics(0).ValueCount, 0);
    EXPECT_EQ(summary.GetTitle(0), u"Floor 2");
}

TEST_F(Summary, LoadedEntriesAndSetters) {
    summary.AppendLoadedEntry(u"mine", 1, kSummaryMean);
    summary.AppendLoadedEntry(u"pasted", 0, kSummaryMedian);
    Add(kModeMean, kUnitQ);
    ASSERT_TRUE(summary.BuildSummary(working));
    ASSERT_EQ(summary.GetEntryCount(), 2);
    EXPECT_EQ(summary.GetTitle(0), u"mine");
    EXPECT_EQ(summary.GetAveraging(0), kSummaryMean);
    EXPECT_EQ(summary.GetDiagramOrder(0), 1);
    EXPECT_EQ(summary.GetValueCount(0), 1);
    EXPECT_EQ(summary.GetTitle(1), u"pasted");
    EXPECT_EQ(summary.GetValueCount(1), 0);

    summary.SetDiagramOrder(1, -1);
    summary.SetAveraging(1, kSummaryMean);
    EXPECT_EQ(owner.modified, 2);
    EXPECT_EQ(summary.GetDiagramOrder(1), -1);

    summary.Clear();
    EXPECT_EQ(summary.GetEntryCount(), 0);
}

TEST_F(Summary, Texts) {
    EXPECT_EQ(CSummaryData::ModeName(kSummaryDifferent), u"different avg. modes");
    EXPECT_EQ(CSummaryData::ModeName(kModeMeanASTM), u"Mean ASTM");
    EXPECT_EQ(CSummaryData::UnitText(kSummaryDifferent), u"different units");
    EXPECT_EQ(CSummaryData::UnitText(kUnitMPa), u"Mpa");
    EXPECT_EQ(CSummaryData::UnitText(kUnitNmm2), u"N/mm\u00B2");
    EXPECT_EQ(CSummaryData::UnitText(8), u"unknown unit");
    EXPECT_EQ(CSummaryData::CurveName(11), u"Curve USA");
    EXPECT_EQ(CSummaryData::CurveName(20), u"Unknown curve");
    EXPECT_EQ(CSummaryData::CurveName(252), u"Unknown curve");
    EXPECT_EQ(CSummaryData::FormText(20, false), u"Cylinder");
    EXPECT_EQ(CSummaryData::FormText(21, true), u"Cube 6\" (100%)");
    EXPECT_EQ(CSummaryData::FormText(kSummaryDifferent, false), u"different forms");
    EXPECT_EQ(CSummaryData::FormText(95, false), u"95%");
    EXPECT_EQ(CSummaryData::CarbonationText(2, true), u"4/100\"");

    CCurveStore::Instance().AddCurve(MakeCurve("Site", 1), 50);
    EXPECT_EQ(CSummaryData::CurveName(50), u"Site");

    // The summary's own decimals: one for R, Q and N/mm2, none from kg/cm2 on
    // (MPa too, unlike the series table).
    Add(kModeMean, kUnitMPa);
    const std::pair<std::uint8_t, int> cases[] = {{kUnitR, 1},     {kUnitQ, 1},   {kUnitNmm2, 1},
                                                  {kUnitKgCm2, 0}, {kUnitPSI, 0}, {kUnitMPa, 0}};
    for (const auto& [unit, decimals] : cases) {
        working.SetUnit(0, unit);
        ASSERT_TRUE(summary.BuildSummary(working));
        EXPECT_EQ(summary.GetDisplayDecimals(0), decimals) << int(unit);
    }
}

}  // namespace
