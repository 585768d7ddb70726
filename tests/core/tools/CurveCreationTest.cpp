// The checks of a new custom curve and the record it becomes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "text/Format.h"
#include "tools/CurveCreation.h"

namespace {

using Tools::TNewCurveInput;

TNewCurveInput Linear(std::u16string name = u"Curve 1") {
    TNewCurveInput in;
    in.name = std::move(name);
    in.c = 1.0;
    return in;
}

TNewCurveInput Exponential(double a, double b) {
    TNewCurveInput in;
    in.name = u"Exp";
    in.kind = kCurveExponential;
    in.a = a;
    in.b = b;
    return in;
}

struct SCheckCase {
    const char* what;
    TNewCurveInput input;
    unsigned expected;
};

TNewCurveInput With(TNewCurveInput in, double qMin, double qMax) {
    in.qMin = qMin;
    in.qMax = qMax;
    return in;
}

TNewCurveInput InUnit(TNewCurveInput in, std::uint8_t unit) {
    in.unit = unit;
    return in;
}

TEST(CurveCreation, ChecksInOrderWithTheFirstFailingMessage) {
    TNewCurveInput flat = Linear();
    flat.c = 0.0;
    TNewCurveInput negative = Linear();
    negative.d = -20.0;  // -10 at Q 10
    TNewCurveInput steep = Linear();
    steep.c = 3.4;  // 306 N/mm² at Q 90
    TNewCurveInput kg3000 = InUnit(Linear(), kUnitKgCm2);
    kg3000.c = 3000.0 / 90.0;  // 3000 kg/cm², about 294 N/mm²
    TNewCurveInput kg3100 = InUnit(Linear(), kUnitKgCm2);
    kg3100.c = 3100.0 / 90.0;  // about 304 N/mm²
    TNewCurveInput overflow = Linear();
    overflow.a = 1e9;  // beyond 1e11 the polynomial counts as 0: it falls
    TNewCurveInput noNumber = Linear();
    noNumber.d = std::numeric_limits<double>::quiet_NaN();
    TNewCurveInput badNameFirst = With(Linear(u"a/b"), 50, 55);

    const SCheckCase cases[] = {
        {"a plain linear curve", Linear(), 0},
        {"a blank inside the name", Linear(u"Curve 1"), 0},
        {"blanks around the name are trimmed", Linear(u"  ABCDEFGHIJ  "), 0},
        {"empty name", Linear(u""), 59524},
        {"only blanks", Linear(u"   "), 59524},
        {"eleven characters", Linear(u"ABCDEFGHIJK"), 59531},
        {"a slash", Linear(u"a/b"), 59539},
        {"a letter outside A-Z", Linear(u"K\u00FChl"), 59539},
        {"a tab inside", Linear(u"a\tb"), 59539},
        {"the name is checked before the range", badNameFirst, 59539},
        {"allowed punctuation", Linear(u"_#%-. x"), 0},
        {"maximum beyond 100", With(Linear(), 95, 105), 62602},
        {"negative minimum", With(Linear(), -5, 50), 62602},
        {"span of 9", With(Linear(), 50, 59), 59525},
        {"span of exactly 10", With(Linear(), 50, 60), 0},
        {"constant polynomial", flat, 59527},
        {"negative at the minimum", negative, 59526},
        {"over 300 N/mm2 at the top", steep, 59554},
        {"3000 kg/cm2 at the top", kg3000, 0},
        {"3100 kg/cm2 at the top", kg3100, 59554},
        {"polynomial beyond 1e11", overflow, 59527},
        {"a coefficient that is no number", noNumber, 59526},
        {"exponential with b = 0", Exponential(1.0, 0.0), 59527},
        {"rising exponential", Exponential(1.0, 0.05), 0},
        {"falling exponential", Exponential(1.0, -0.05), 59527},
        {"exponential too strong", Exponential(10.0, 0.05), 59554},
    };
    for (const SCheckCase& c : cases) {
        EXPECT_EQ(c.expected, Tools::CheckNewCurve(c.input).messageId) << c.what;
    }
}

TEST(CurveCreation, RecordOfAPolynomialInPSIIsStoredInNmm2) {
    TNewCurveInput in = With(Linear(u" Deck 7 "), 10.7, 90.9);
    in.unit = kUnitPSI;
    in.typeN = false;
    in.c = 400.0;
    in.d = 500.0;  // 36500 PSI at Q 90, about 252 N/mm²
    const Tools::TNewCurveCheck check = Tools::CheckNewCurve(in);
    ASSERT_TRUE(check.Passed()) << check.messageId;
    const TConvCust& r = check.curve;
    const double t = 0.006894792363327978;
    EXPECT_EQ(kCurvePolynomial, r.Kind);
    EXPECT_EQ(0.0f, float{r.A});
    EXPECT_EQ(0.0f, float{r.B});
    EXPECT_EQ(static_cast<float>(t * 400.0), float{r.C});
    EXPECT_EQ(static_cast<float>(t * 500.0), float{r.D});
    EXPECT_EQ(10, r.QMin);  // whole parts
    EXPECT_EQ(90, r.QMax);
    EXPECT_EQ("Deck 7", r.Name8());
    EXPECT_EQ(0, r.CurveName[6]);
    EXPECT_EQ(0x02 | 0x20, r.Flags);
}

TEST(CurveCreation, RecordOfAnExponentialScalesOnlyA) {
    TNewCurveInput in = Exponential(10.0, 0.02);
    in.unit = kUnitKgCm2;
    in.c = 7.0;  // not part of the formula, kept as it is
    const Tools::TNewCurveCheck check = Tools::CheckNewCurve(in);
    ASSERT_TRUE(check.Passed()) << check.messageId;
    EXPECT_EQ(kCurveExponential, check.curve.Kind);
    EXPECT_EQ(static_cast<float>(0.09806805923310778 * 10.0), float{check.curve.A});
    EXPECT_EQ(0.02f, float{check.curve.B});
    EXPECT_EQ(7.0f, float{check.curve.C});
    EXPECT_EQ(0x01 | 0x10, check.curve.Flags);
}

TEST(CurveCreation, FlagsNameTheHammerTypeAndTheUnitOfEntry) {
    struct SCase {
        bool typeN;
        std::uint8_t unit;
        std::uint8_t flags;
    };
    const SCase cases[] = {{true, kUnitNmm2, 0x09}, {false, kUnitNmm2, 0x0A}, {true, kUnitKgCm2, 0x11},
                           {true, kUnitPSI, 0x21},  {true, kUnitMPa, 0x41},   {false, kUnitMPa, 0x42}};
    for (const SCase& c : cases) {
        TNewCurveInput in = Linear();
        in.typeN = c.typeN;
        in.unit = c.unit;
        // Small enough in every unit to stay below 300 N/mm².
        const auto check = Tools::CheckNewCurve(in);
        ASSERT_TRUE(check.Passed());
        EXPECT_EQ(c.flags, check.curve.Flags) << int(c.unit);
        EXPECT_EQ(c.unit, Tools::CurveEntryUnit(check.curve));
    }
}

TEST(CurveCreation, CurveFunction) {
    TNewCurveInput poly;
    poly.a = 1;
    poly.b = 2;
    poly.c = 3;
    poly.d = 4;
    EXPECT_DOUBLE_EQ(2.0 * (8 + 8 + 6 + 4), Tools::NewCurveValue(poly, 2.0, 2.0));
    TNewCurveInput exp = Exponential(3.0, 0.5);
    EXPECT_DOUBLE_EQ(2.0 * 3.0 * static_cast<float>(std::exp(1.0)), Tools::NewCurveValue(exp, 2.0, 2.0));
    // A power of 1e13 or more counts as 0.
    EXPECT_EQ(0.0, Tools::NewCurveValue(Exponential(1.0, 1.0), 40.0, 1.0));
}

TEST(CurveCreation, UnitFactors) {
    EXPECT_EQ(1.0, Tools::CurveUnitFactor(kUnitNmm2));
    EXPECT_EQ(1.0, Tools::CurveUnitFactor(kUnitMPa));
    EXPECT_EQ(0.09806805923310778, Tools::CurveUnitFactor(kUnitKgCm2));
    EXPECT_EQ(0.006894792363327978, Tools::CurveUnitFactor(kUnitPSI));
    struct SCase {
        std::uint8_t from, to;
        double factor;
    };
    const SCase cases[] = {{kUnitNmm2, kUnitKgCm2, 10.197},
                           {kUnitNmm2, kUnitPSI, 145.037},
                           {kUnitNmm2, kUnitMPa, 1.0},
                           {kUnitKgCm2, kUnitPSI, 14.223497106992255},
                           {kUnitPSI, kUnitMPa, 0.006894792363327978},
                           {kUnitMPa, kUnitNmm2, 1.0},
                           {kUnitPSI, kUnitPSI, 1.0}};
    for (const SCase& c : cases) EXPECT_EQ(c.factor, Tools::CurveUnitChangeFactor(c.from, c.to));
}

TEST(CurveCreation, ViewShowsCoefficientsInTheUnitOfEntry) {
    TNewCurveInput in = Linear();
    in.unit = kUnitPSI;
    in.c = 400.0;
    in.d = 100.0;
    const auto check = Tools::CheckNewCurve(in);
    ASSERT_TRUE(check.Passed());
    const auto k = Tools::CoefficientsInEntryUnit(check.curve);
    EXPECT_EQ(u"0.000000", Text::Format(u"%0.6f", k[0]));
    EXPECT_EQ(Text::Format(u"%0.6f", static_cast<double>(check.curve.C) * 145.037),
              Text::Format(u"%0.6f", k[2]));
    EXPECT_NEAR(400.0, k[2], 0.001);
    EXPECT_NEAR(100.0, k[3], 0.001);

    // An exponential shows b unchanged.
    TNewCurveInput e = Exponential(100.0, 0.03);
    e.unit = kUnitKgCm2;
    const auto ec = Tools::CheckNewCurve(e);
    ASSERT_TRUE(ec.Passed()) << ec.messageId;
    const auto ek = Tools::CoefficientsInEntryUnit(ec.curve);
    EXPECT_NEAR(100.0, ek[0], 0.01);
    EXPECT_EQ(static_cast<double>(0.03f), ek[1]);
}

TEST(CurveCreation, QRangeAsTheFieldsShowItAfterEditing) {
    struct SCase {
        double qMin, qMax;
        int shownMin, shownMax;
    };
    const SCase cases[] = {{95, 105, 95, 100}, {10, 90, 10, 90}, {50, 55, 45, 55},
                           {-5, 50, 0, 50},    {5, 8, 0, 10},    {95, 100, 90, 100}};
    for (const SCase& c : cases) {
        const Tools::TQRange r = Tools::NormaliseQRange(c.qMin, c.qMax);
        EXPECT_EQ(c.shownMin, r.qMin) << c.qMin << ".." << c.qMax;
        EXPECT_EQ(c.shownMax, r.qMax) << c.qMin << ".." << c.qMax;
    }
}

TEST(CurveCreation, NameHintsWhileTyping) {
    struct SCase {
        const char16_t* typed;
        unsigned hint;
    };
    const SCase cases[] = {{u"Curve 1", 0},
                           {u"Curve/1", 59539},
                           {u"ABCDEFGHIJK", 59540},
                           {u"ABCDEFGHIJ", 0},
                           {u"AB/CDEFGHIJK", 59539}};
    for (const SCase& c : cases) EXPECT_EQ(c.hint, Tools::CurveNameHint(c.typed)) << (&c - cases);
    bool removed = false;
    EXPECT_EQ(u"Curve1", Tools::FilterCurveName(u"Cur/ve\\1", removed));
    EXPECT_TRUE(removed);
}

// What the entry fields hold: as far as it is a number, else 0, never by locale.
TEST(CurveCreation, EntryFieldNumbers) {
    struct SCase {
        const char16_t* text;
        double value;
    };
    const SCase cases[] = {{u"12.5", 12.5},   {u" 7", 7},      {u"-.5", -0.5},   {u"+3", 3},
                           {u"12.5 Q", 12.5}, {u"1e3", 1000},  {u"", 0},         {u"abc", 0},
                           {u"1,5", 1},       {u"+-1", 0},     {u"inf", 0},      {u"nan", 0},
                           {u"1e999", 0},     {u"0.000001", 1e-6}};
    for (const SCase& c : cases) EXPECT_EQ(c.value, Tools::CurveFieldNumber(c.text)) << (&c - cases);
}

}  // namespace
