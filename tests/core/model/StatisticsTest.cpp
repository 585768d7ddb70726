#include <gtest/gtest.h>

#include <vector>

#include "ModelTestSupport.h"
#include "model/Conversion.h"
#include "model/Statistics.h"

namespace {

using Model::CalcStatistics;

std::vector<std::uint8_t> Flags(std::initializer_list<int> f) {
    return {f.begin(), f.end()};
}

struct SModeCase {
    const char* what;
    TVantrelObject series;
    float meanQ;
    float stdDev;
    int valid;
    bool invalid;
    std::vector<std::uint8_t> flags;
};

TEST(Statistics, AveragingModes) {
    auto withCuts = [](TVantrelObject s, int upper, int lower) {
        s.UpperOutliers = static_cast<std::uint8_t>(upper);
        s.LowerOutliers = static_cast<std::uint8_t>(lower);
        return s;
    };
    const SModeCase cases[] = {
        {"mean", MakeSeries({40, 42, 44}), 42.0f, 2.0f, 3, false, Flags({0, 0, 0})},
        {"mean with custom cuts", withCuts(MakeSeries({100, 10, 30, 20}), 1, 1), 25.0f, 7.0711f, 2, false,
         Flags({1, 1, 0, 0})},
        {"single", MakeSeries({45.5}, kModeSingle), 45.5f, 0.0f, 1, false, Flags({0})},
        {"median only after cuts", withCuts(MakeSeries({40, 10, 20, 30}, kModeMedianOnly), 1, 0), 20.0f,
         10.0f, 3, false, Flags({1, 0, 0, 0})},
        {"median only, even count", MakeSeries({10, 40, 20, 30}, kModeMedianOnly), 25.0f, 12.9099f, 4, false,
         Flags({0, 0, 0, 0})},
        {"median EN: one outside, allowed", MakeSeries({30, 40, 40, 41, 60}, kModeMedianEN), 40.0f, 10.9179f,
         4, false, Flags({0, 0, 0, 0, 1})},
        {"median EN: 3 of 10 outside", MakeSeries({40, 40, 20, 40, 40, 40, 20, 40, 60, 40}, kModeMedianEN),
         40.0f, 11.3529f, 7, true, Flags({0, 0, 1, 0, 0, 0, 1, 0, 1, 0})},
        {"median EN: 2 of 10 outside", MakeSeries({40, 40, 20, 40, 40, 40, 40, 40, 60, 40}, kModeMedianEN),
         40.0f, 9.4281f, 8, false, Flags({0, 0, 1, 0, 0, 0, 0, 0, 1, 0})},
        {"median EN: 3 of 13 outside, allowed",
         MakeSeries({40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 20, 20, 60}, kModeMedianEN), 40.0f, 9.8710f, 10,
         false, Flags({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1})},
        {"median EN: 2 readings allow none", MakeSeries({20, 40}, kModeMedianEN), 30.0f, 14.1421f, 0, true,
         Flags({1, 1})},
        {"ASTM: one outside", MakeSeries({30, 31, 32, 50}, kModeMeanASTM), 31.0f, 1.0f, 3, false,
         Flags({0, 0, 0, 1})},
        {"ASTM: three outside", MakeSeries({40, 40, 60, 40, 40, 60, 40, 40, 60, 40}, kModeMeanASTM), 40.0f,
         0.0f, 7, true, Flags({0, 0, 1, 0, 0, 1, 0, 0, 1, 0})},
        {"outlier table: 13 readings cut 2 at each end",
         MakeSeries({22, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}, kModeMeanOutlier), 16.0f, 2.7386f,
         9, false, Flags({1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1})},
        {"JGJ with 16 readings",
         MakeSeries({1, 2, 3, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 97, 98, 99}, kModeMeanJGJ), 10.0f, 0.0f,
         10, false, Flags({1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1})},
        {"JGJ with 15 readings",
         MakeSeries({1, 2, 3, 10, 10, 10, 10, 10, 10, 10, 10, 10, 97, 98, 99}, kModeMeanJGJ), 10.0f, 0.0f, 9,
         true, Flags({1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1})},
    };
    for (const auto& c : cases) {
        TVantrelObject s = c.series;
        const TStatistics st = CalcStatistics(s);
        EXPECT_FLOAT_EQ(st.MeanQ, c.meanQ) << c.what;
        EXPECT_NEAR(st.StdDev, c.stdDev, 1e-4f) << c.what;
        EXPECT_EQ(st.ValidCount, c.valid) << c.what;
        EXPECT_EQ(st.Invalid, c.invalid) << c.what;
        EXPECT_EQ(s.ReadingFlags, c.flags) << c.what;
        EXPECT_FLOAT_EQ(st.Converted, st.MeanQ) << c.what;  // unit Q
    }
}

TEST(Statistics, EnergyIsTheMeanOverTheReadingsUsed) {
    TVantrelObject s = MakeSeries({30, 31, 32, 50}, kModeMeanASTM);
    const std::uint16_t energies[] = {1000, 2000, 3000, 9000};
    for (std::size_t i = 0; i < 4; ++i) s.Readings[i].Energy = energies[i];
    EXPECT_FLOAT_EQ(CalcStatistics(s).MeanEnergy, 2.0f);
    s.AveragingMode = kModeMedianEN;  // every reading counts
    EXPECT_FLOAT_EQ(CalcStatistics(s).MeanEnergy, 3.75f);
}

TEST(Statistics, MeanRoundingDependsOnUnitAndFormat) {
    // Eight readings of 40 and two of 41.5: exact mean 40.3.
    TVantrelObject s = MakeSeries({40, 40, 40, 40, 40, 40, 40, 40, 41.5, 41.5});
    struct SCase {
        std::uint8_t unit;
        std::uint8_t newFormat;
        float meanQ;
    };
    const SCase cases[] = {{kUnitQ, 0, 40.5f}, {kUnitQ, 1, 40.3f}, {kUnitMPa, 0, 40.3f}, {kUnitR, 0, 40.3f}};
    for (const auto& c : cases) {
        s.Unit = c.unit;
        s.NewDataFormat = c.newFormat;
        EXPECT_FLOAT_EQ(CalcStatistics(s).MeanQ, c.meanQ) << int(c.unit) << "/" << int(c.newFormat);
    }
}

TEST(Statistics, ConvertsTheMeanAndTheSpread) {
    CCurveStoreScope store;
    TVantrelObject s = MakeSeries({38, 42}, kModeMean, kUnitNmm2);  // B-TOLVEX, type N
    TStatistics st = CalcStatistics(s);
    EXPECT_FLOAT_EQ(st.MeanQ, 40.0f);
    EXPECT_FLOAT_EQ(st.Converted, 33.5f);
    // 40 +- 2.83 converts to 38.0 and 30.0.
    EXPECT_FLOAT_EQ(st.ConvertedStdDev, 4.0f);

    // A spread whose low side converts below zero rounds that side toward
    // zero too: 38 +- 52.3 on the L table gives 62.0, not 62.2.
    s = MakeSeries({1, 75}, kModeMean, kUnitNmm2);
    s.DeviceType = u"Talvenbrecker   L";
    EXPECT_FLOAT_EQ(CalcStatistics(s).ConvertedStdDev, 62.0f);

    s = MakeSeries({10, 10}, kModeMean, kUnitNmm2);  // below the curve
    st = CalcStatistics(s);
    EXPECT_FLOAT_EQ(st.MeanQ, 10.0f);
    EXPECT_EQ(st.Converted, kNoValue);
    EXPECT_EQ(st.ConvertedStdDev, kNoValue);
}

TEST(Statistics, EveryRunRewritesTheFlags) {
    TVantrelObject s = MakeSeries({30, 40, 40, 41, 60}, kModeMedianEN);
    CalcStatistics(s);
    ASSERT_EQ(s.ReadingFlags, Flags({0, 0, 0, 0, 1}));
    s.AveragingMode = kModeMean;
    CalcStatistics(s);
    EXPECT_EQ(s.ReadingFlags, Flags({0, 0, 0, 0, 0}));
}

// Series the program does not compute, or whose cuts leave nothing: no value,
// never a number made up from the marker, never a division by zero.
TEST(Statistics, NoValueWhereNothingCanBeComputed) {
    struct SCase {
        const char* what;
        TVantrelObject series;
        int valid;
        bool invalid;
        std::uint8_t flag;  // of every reading
    };
    TVantrelObject cutAll = MakeSeries({40, 41, 42});
    cutAll.UpperOutliers = 2;
    cutAll.LowerOutliers = 1;
    TVantrelObject cutMore = cutAll;
    cutMore.UpperOutliers = 200;
    const SCase cases[] = {
        {"JIS", MakeSeries({40, 41, 42}, kModeMeanJIS), 3, false, 0},
        {"RUS", MakeSeries({40, 41, 42}, kModeMeanRUS), 3, false, 0},
        {"unknown mode", MakeSeries({40, 41, 42}, 200), 3, false, 0},
        {"cuts leave none", cutAll, 0, false, 1},
        {"cuts beyond the count", cutMore, 0, false, 1},
        {"JGJ with 6 readings", RepeatQ(40, 6, kModeMeanJGJ), 0, true, 1},
        {"empty mean", MakeSeries({}, kModeMean), 0, false, 0},
        {"empty median EN", MakeSeries({}, kModeMedianEN), 0, false, 0},
        {"empty ASTM", MakeSeries({}, kModeMeanASTM), 0, false, 0},
        {"empty outlier table", MakeSeries({}, kModeMeanOutlier), 0, false, 0},
        {"empty median only", MakeSeries({}, kModeMedianOnly), 0, false, 0},
    };
    for (std::uint8_t unit : {kUnitQ, kUnitR, kUnitNmm2, kUnitPSI}) {
        for (const auto& c : cases) {
            TVantrelObject s = c.series;
            s.Unit = unit;
            const TStatistics st = CalcStatistics(s);
            EXPECT_EQ(st.MeanQ, kNoValue) << c.what << " unit " << int(unit);
            EXPECT_EQ(st.Converted, kNoValue) << c.what << " unit " << int(unit);
            EXPECT_EQ(st.ConvertedStdDev, kNoValue) << c.what;
            EXPECT_EQ(st.StdDev, kNoValue) << c.what;
            EXPECT_EQ(st.MeanEnergy, kNoValue) << c.what;
            EXPECT_EQ(st.ValidCount, c.valid) << c.what;
            EXPECT_EQ(st.Invalid, c.invalid) << c.what;
            EXPECT_EQ(s.ReadingFlags, std::vector<std::uint8_t>(s.Readings.size(), c.flag)) << c.what;
        }
    }
}

TEST(Statistics, OutlierTableAndEffectiveCuts) {
    const std::pair<std::size_t, int> table[] = {{0, 0},  {9, 0},  {10, 1}, {12, 1}, {13, 2},  {16, 3},
                                                 {21, 3}, {22, 4}, {29, 5}, {33, 5}, {34, 6},  {41, 7},
                                                 {48, 8}, {55, 8}, {56, 9}, {99, 9}, {100, 9}, {5000, 9}};
    for (const auto& [n, cut] : table) EXPECT_EQ(Model::GetOutlierCancellationCount(n), cut) << n;

    TVantrelObject big = RepeatQ(40, 150, kModeMeanOutlier);
    big.Readings[0].QHalf = 2;
    const TStatistics st = CalcStatistics(big);
    EXPECT_EQ(st.ValidCount, 132);
    EXPECT_FLOAT_EQ(st.MeanQ, 40.0f);

    TVantrelObject s = RepeatQ(40, 13);
    s.UpperOutliers = 2;
    s.LowerOutliers = 1;
    struct SCase {
        std::uint8_t mode;
        int upper, lower;
    };
    const SCase cases[] = {{kModeMean, 2, 1},     {kModeMedianOnly, 2, 1}, {kModeMeanOutlier, 2, 2},
                           {kModeMeanJGJ, 3, 3},  {kModeSingle, 0, 0},     {kModeMedianEN, 0, 0},
                           {kModeMeanASTM, 0, 0}, {kModeMeanJIS, 0, 0}};
    for (const auto& c : cases) {
        s.AveragingMode = c.mode;
        EXPECT_EQ(Model::GetEffectiveUpperOutliers(s), c.upper) << int(c.mode);
        EXPECT_EQ(Model::GetEffectiveLowerOutliers(s), c.lower) << int(c.mode);
    }
}

TEST(Statistics, SeriesFormFactorIsTheOneTheConversionApplies) {
    CCurveStoreScope store;
    TVantrelObject s = MakeSeries({40, 40}, kModeMean, kUnitNmm2);  // B-TOLVEX gives 33.74 at Q 40
    s.FormCode = 20;
    EXPECT_DOUBLE_EQ(Model::GetSeriesFormFactor(s), 0.83);
    EXPECT_FLOAT_EQ(CalcStatistics(s).Converted, 28.0f);  // 33.74 * 0.83

    // Carbonation lowers the value but not the strength class the factor is
    // chosen by, in the conversion as in the factor shown beside it.
    s.CarbonationCode = 8;  // 73 %
    EXPECT_DOUBLE_EQ(Model::GetSeriesFormFactor(s), 0.83);
    EXPECT_FLOAT_EQ(CalcStatistics(s).Converted, 20.5f);  // 33.74 * 0.83 * 0.73
    EXPECT_EQ(s.Unit, kUnitNmm2);
    EXPECT_EQ(s.FormCode, 20);

    s.Readings = MakeSeries({10, 10}).Readings;  // below the curve: no strength class
    EXPECT_DOUBLE_EQ(Model::GetSeriesFormFactor(s), 0.80);
    s.FormCode = 3;
    EXPECT_DOUBLE_EQ(Model::GetSeriesFormFactor(s), 1.03);
}

TEST(Statistics, ExplanationTexts) {
    TVantrelObject s = MakeSeries({40, 40, 20, 40, 40, 40, 20, 40, 60, 40}, kModeMedianEN);
    auto e = Model::GetModeExplanation(s, CalcStatistics(s));
    EXPECT_EQ(e.titleId, 59426u);
    EXPECT_EQ(e.textId, 59429u);
    EXPECT_NE(e.text.find(u"30% (10 total, 3 invalid)"), std::u16string::npos);

    s = MakeSeries({40, 40, 60, 40, 40, 60, 40, 40, 60, 40}, kModeMeanASTM);
    EXPECT_EQ(Model::GetModeExplanation(s, CalcStatistics(s)).textId, 59431u);
    s.Readings.resize(4);
    EXPECT_EQ(Model::GetModeExplanation(s, CalcStatistics(s)).textId, 59441u);

    const std::pair<std::uint8_t, unsigned> titles[] = {
        {kModeSingle, 59432},  {kModeMean, 59434}, {kModeMeanOutlier, 59438}, {kModeMedianOnly, 59583},
        {kModeMeanJGJ, 59581}, {kModeMeanJIS, 0},  {kModeMeanRUS, 0}};
    for (const auto& [mode, title] : titles) {
        s = MakeSeries({40, 40, 40, 40, 40, 40, 40}, mode);
        EXPECT_EQ(Model::GetModeExplanation(s, CalcStatistics(s)).titleId, title) << int(mode);
    }
}

}  // namespace
