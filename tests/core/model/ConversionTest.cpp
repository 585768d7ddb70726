#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ModelTestSupport.h"
#include "model/Conversion.h"
#include "text/Encoding.h"

namespace {

using Model::Convert;

struct SConvertCase {
    const char* what;
    float q;
    std::uint8_t unit;
    std::uint8_t curve;
    const std::u16string* type;
    float carbonation;
    std::uint8_t form;
    bool check;
    float expected;
};

TEST(Conversion, ConvertsThroughCurveFactorsAndUnitRounding) {
    const SConvertCase cases[] = {
        {"B-TOLVEX N/mm2 (33.744)", 40, kUnitNmm2, 1, &kTypeN, 0, 4, true, 33.5f},
        {"B-TOLVEX MPa", 40, kUnitMPa, 1, &kTypeN, 0, 4, true, 33.5f},
        {"B-TOLVEX kg/cm2 to 5", 40, kUnitKgCm2, 1, &kTypeN, 0, 4, true, 345.0f},
        {"B-TOLVEX PSI to 50", 40, kUnitPSI, 1, &kTypeN, 0, 4, true, 4900.0f},
        {"unit without rounding", 40, 9, 1, &kTypeN, 0, 4, true, 33.7443f},
        {"R below 66", 66, kUnitR, 1, &kTypeN, 0, 4, true, 59.5f},
        {"R above 66", 67, kUnitR, 1, &kTypeN, 0, 4, true, 60.5f},
        {"Q unchanged, no range", 40.3f, kUnitQ, 1, &kTypeN, 0, 4, true, 40.3f},
        {"below range", 10, kUnitNmm2, 1, &kTypeN, 0, 4, true, kNoValue},
        {"above range", 61.5f, kUnitNmm2, 1, &kTypeN, 0, 4, true, kNoValue},
        {"range check off", 10, kUnitNmm2, 1, &kTypeN, 0, 4, false, 6.0f},
        {"negative below the curve", 10, kUnitNmm2, 3, &kTypeN, 0, 4, false, -0.5f},
        {"type L table", 40, kUnitNmm2, 1, &kTypeL, 0, 4, true, 38.0f},
        {"type L identity for H", 50, kUnitNmm2, 3, &kTypeL, 0, 4, true, 50.0f},
        {"exponential N", 40, kUnitNmm2, 10, &kTypeN, 0, 4, true, 24.5f},
        {"exponential L", 40, kUnitNmm2, 12, &kTypeL, 0, 4, true, 25.0f},
        {"China N polynomial", 40, kUnitNmm2, 13, &kTypeN, 0, 4, true, 24.5f},
        {"10-percentile N", 50, kUnitNmm2, 15, &kTypeN, 0, 4, true, 30.5f},
        {"carbonation depth 4: 85 %", 40, kUnitNmm2, 1, &kTypeN, 4, 4, true, 28.5f},
        {"carbonation factor 85", 40, kUnitNmm2, 1, &kTypeN, 85, 4, true, 28.5f},
        {"carbonation factor 13", 40, kUnitNmm2, 1, &kTypeN, 13, 4, true, 4.5f},
        {"carbonation uses the low byte", 40, kUnitNmm2, 1, &kTypeN, 256 + 85, 4, true, 28.5f},
        {"cylinder by class (>= 30)", 40, kUnitNmm2, 1, &kTypeN, 0, 20, true, 28.0f},
        {"unknown curve in range check", 40, kUnitNmm2, 7, &kTypeN, 0, 4, true, kNoValue},
        {"unknown curve unchecked", 40, kUnitNmm2, 7, &kTypeN, 0, 4, false, 0.0f},
        {"missing custom curve", 40, kUnitNmm2, 60, &kTypeN, 0, 4, true, kNoValue},
    };
    CCurveStoreScope store;
    for (const auto& c : cases)
        EXPECT_NEAR(Convert(c.q, c.unit, c.curve, *c.type, c.carbonation, c.form, c.check), c.expected, 1e-3f)
            << c.what;
}

TEST(Conversion, CustomCurveFromTheStore) {
    CCurveStoreScope store;
    const auto added = CCurveStore::Instance().AddCurve(MakeCurve("Lab1", 0.5f), 60);
    ASSERT_EQ(added.id, 60);
    EXPECT_FLOAT_EQ(Convert(40, kUnitNmm2, 60, kTypeN, 0, 4, true), 20.0f);
    EXPECT_FLOAT_EQ(Convert(61, kUnitNmm2, 60, kTypeN, 0, 4, true), kNoValue);
    EXPECT_EQ(Model::GetCurveName(60), u"Lab1");
    EXPECT_EQ(Model::GetCurveName(61), u"");
}

TEST(Conversion, NegativeValuesRoundTowardZero) {
    // The hammer rounds by a 16-bit conversion, which cuts toward zero: -3.0
    // N/mm2 becomes -2.5, not -3.0, and the other units follow.
    CCurveStoreScope store;
    TConvCust c = MakeCurve("Negative", 0.1f);
    c.D = -5.0f;  // fck = 0.1 Q - 5: -3.0 at Q 20
    CCurveStore::Instance().AddCurve(c, 60);
    const std::pair<std::uint8_t, float> cases[] = {
        {kUnitNmm2, -2.5f}, {kUnitMPa, -2.5f}, {kUnitKgCm2, -25.0f}, {kUnitPSI, -400.0f}};
    for (const auto& [unit, expected] : cases)
        EXPECT_FLOAT_EQ(Convert(20, unit, 60, kTypeN, 0, 4, true), expected) << int(unit);
}

TEST(Conversion, ResultsThatAreNoNumberAreNoValue) {
    CCurveStoreScope store;
    TConvCust broken = MakeCurve("Broken", std::numeric_limits<float>::quiet_NaN());
    TConvCust huge = MakeCurve("Huge", 0);
    huge.Kind = kCurveExponential;
    huge.A = 1e30f;
    huge.B = 10.0f;
    CCurveStore::Instance().AddCurve(broken, 60);
    CCurveStore::Instance().AddCurve(huge, 61);
    EXPECT_EQ(Convert(40, kUnitNmm2, 60, kTypeN, 0, 4, true), kNoValue);
    EXPECT_EQ(Convert(40, kUnitPSI, 61, kTypeN, 0, 4, true), kNoValue);
    EXPECT_EQ(Convert(40, kUnitNmm2, 1, kTypeN, std::numeric_limits<float>::quiet_NaN(), 4, true), 33.5f);
}

TEST(Conversion, HammerTypeOfTheCurveTables) {
    struct SCase {
        std::u16string type;
        bool typeL;
    };
    const SCase cases[] = {
        {u"Talvenbrecker  L", true},
        {u"Talvenbrecker   L", true},  // newer format, letter at 16
        {u"Talvenbrecker  N", false},
        {u"Talvenbrecker  X", false},
        {u"Talvenbrecker  ", false},  // 15 characters: no letter at 15
        {u"", false},                 // too short: no letter, and no exception
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Model::UsesTypeLCurves(c.type), c.typeL) << Text::ToUtf8(c.type);
        const TCurveRecord r = Model::GetCurveRecord(1, c.type);
        EXPECT_EQ(r.QMin, c.typeL ? 23 : 19) << Text::ToUtf8(c.type);
    }
}

TEST(Conversion, BuiltInCurveRecordsAreSinglePrecision) {
    const TCurveRecord n = Model::GetCurveRecord(0, kTypeN);
    EXPECT_EQ(n.QMin, 11);
    EXPECT_EQ(n.QMax, 41);
    EXPECT_EQ(n.Kind, kCurvePolynomial);
    EXPECT_EQ(float{n.B}, 0.0148f);
    EXPECT_EQ(float{n.C}, 0.1827f);
    EXPECT_EQ(float{n.D}, -2.1659f);
    const TCurveRecord l = Model::GetCurveRecord(14, kTypeL);
    EXPECT_EQ(l.Kind, kCurveExponential);
    EXPECT_EQ(float{l.A}, 1.9368f);
    EXPECT_EQ(float{l.B}, 0.0637f);
    const TCurveRecord unknown = Model::GetCurveRecord(4, kTypeN);
    EXPECT_EQ(unknown.QMax, 0);
    EXPECT_EQ(float{unknown.A}, 0.0f);
}

TEST(Conversion, FormFactors) {
    struct SCase {
        std::uint8_t code;
        double strength;
        double factor;
    };
    const SCase cases[] = {
        {0, 0, 0.86},    {3, 0, 1.03},         {7, 0, 1.04},     {9, 0, 1.00},     {21, 0, 1.00},
        {150, 0, 1.50},  {10, 0, 0.10},        {20, 36.9, 0.83}, {20, 37, 0.81},   {20, 29.99, 0.80},
        {20, 30, 0.83},  {20, 66.9, 0.83},     {20, 67, 0.82},   {20, 74.9, 0.82}, {20, 75, 0.80},
        {20, 115, 0.87}, {20, kNoValue, 0.80}, {20, NAN, 0.80},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Model::GetFormFactor(c.code, c.strength), c.factor)
            << int(c.code) << " " << c.strength;
}

TEST(Conversion, CarbonationFactors) {
    const std::pair<std::uint8_t, double> cases[] = {{0, 1.00},  {4, 0.85},  {12, 0.62},
                                                     {13, 0.13}, {85, 0.85}, {255, 2.55}};
    for (const auto& [code, factor] : cases)
        EXPECT_DOUBLE_EQ(Model::GetCarbonationFactor(code), factor) << int(code);
}

TEST(Conversion, Texts) {
    EXPECT_EQ(Model::GetFormText(4, false, 1.0), u"Cube 150mm");
    EXPECT_EQ(Model::GetFormText(4, true, 1.0), u"Cube 6\"");
    EXPECT_EQ(Model::GetFormText(0, false, 0.86), u"Cylinder 100mm * 200mm");
    EXPECT_EQ(Model::GetFormText(7, true, 1.04), u"Drilled core 2 * 2.2\"");
    EXPECT_EQ(Model::GetFormText(21, true, 1.0), u"Cube 6\" (100%)");
    EXPECT_EQ(Model::GetFormText(20, false, 0.83), u"Cylinder (83%)");
    EXPECT_EQ(Model::GetFormText(20, false, 0.87), u"Cylinder (87%)");
    EXPECT_EQ(Model::GetFormText(150, false, 1.5), u"150%");

    EXPECT_EQ(Model::GetCarbonationText(4, false), u"2.0 mm");
    EXPECT_EQ(Model::GetCarbonationText(4, true), u"8/100\"");
    EXPECT_EQ(Model::GetCarbonationText(0, false), u"0.0 mm");
    EXPECT_EQ(Model::GetCarbonationText(85, false), u"0.85");
    EXPECT_EQ(Model::GetCarbonationText(13, true), u"0.13");

    EXPECT_EQ(Model::GetUnitText(kUnitNmm2), u"N/mm\u00B2");
    EXPECT_EQ(Model::GetUnitText(kUnitKgCm2), u"kg/cm\u00B2");
    EXPECT_EQ(Model::GetUnitText(kUnitMPa), u"MPa");
    EXPECT_EQ(Model::GetUnitText(6), u"unknown unit");
    EXPECT_EQ(Model::GetModeName(kModeSingle), u"Single");
    EXPECT_EQ(Model::GetModeName(kModeMeanJGJ), u"Mean JGJ");
    EXPECT_EQ(Model::GetModeName(kModeMeanJIS), u"Mean method JIS");
    EXPECT_EQ(Model::GetModeName(9), u"Unknown mean averaging method");
    EXPECT_EQ(Model::GetCurveName(3), u"H-TOLVEX");
    EXPECT_EQ(Model::GetCurveName(11), u"Curve USA");
    EXPECT_EQ(Model::GetCurveName(15), u"10-percentile curve");
    EXPECT_EQ(Model::GetCurveName(4), u"Unknown curve");
    EXPECT_EQ(Model::GetHammerTypeName(true), u"Talvenbrecker N");

    EXPECT_EQ(Model::GetDisplayDecimals(kUnitMPa), 1);
    EXPECT_EQ(Model::GetDisplayDecimals(kUnitPSI), 0);
    EXPECT_EQ(Model::GetDisplayDecimals(77), 0);
}

TEST(Conversion, ConversionNotPossibleMessage) {
    const auto low = Model::GetConversionFailure(10.0f, 1, kTypeN);
    EXPECT_EQ(low.titleId, 59452u);
    EXPECT_EQ(low.textId, 59453u);
    EXPECT_EQ(low.text,
              u"The measured Q-Value (10.0 Q) is too low to convert using the conversion curve B-TOLVEX.\n\n"
              u"Valid range: 19 to 61 Q.");
    EXPECT_EQ(Model::GetConversionFailure(61.5f, 1, kTypeN).textId, 59454u);
}

}  // namespace
