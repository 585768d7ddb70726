// The checks before a curve goes into one of the hammer's slots, and how slots
// and library curves turn into each other.
#include <gtest/gtest.h>

#include <cmath>

#include "text/Format.h"
#include "tools/SlotUpload.h"

namespace {

using Device::SCurveSlot;

TConvCust MakeCurve(const char* name, std::uint8_t flags, std::uint8_t kind = kCurvePolynomial,
                    float a = 0.0f) {
    TConvCust c;
    c.SetName8(name);
    c.Flags = flags;
    c.Kind = kind;
    c.A = a;
    c.B = 0.01f;
    c.C = 0.8f;
    c.D = -5.0f;
    c.QMin = 20;
    c.QMax = 60;
    return c;
}

// A type L curve changed by `damage`, as a damaged or foreign curve file gives it.
template <class F>
TConvCust Damaged(F damage) {
    TConvCust c = MakeCurve("A", 0x0A);
    damage(c);
    return c;
}

SCurveSlot Filled(const char* name) {
    SCurveSlot s = Tools::SlotFromCurve(MakeCurve(name, 0x0A));
    return s;
}

Tools::TCurveSlots Slots(SCurveSlot c1 = {}, SCurveSlot c2 = {}, SCurveSlot c3 = {}) {
    return {c1, c2, c3};
}

// Device type texts: the letter at 15 (older) or 16 (newer hammers).
constexpr const char* kNewL = "Talvenbrecker PCL";
constexpr const char* kNewN = "Talvenbrecker PCN";
constexpr const char* kOldN = "Talvenbrecker UN";
constexpr const char* kOldL = "Talvenbrecker UL";

TEST(SlotUpload, ChecksInOrder) {
    struct SCase {
        const char* what;
        const char* deviceType;
        bool newFormat;
        TConvCust curve;
        Tools::TCurveSlots slots;
        unsigned expected;
    };
    const SCase cases[] = {
        {"type N curve to an L hammer", kNewL, true, MakeCurve("A", 0x09), Slots(), 59550},
        {"type L curve to an N hammer", kNewN, true, MakeCurve("A", 0x0A), Slots(), 59549},
        {"type L curve to an older N hammer", kOldN, false, MakeCurve("A", 0x0A), Slots(), 59549},
        {"both type bits on an L hammer", kNewL, true, MakeCurve("A", 0x0B), Slots(), 0},
        {"both type bits on an N hammer", kOldN, false, MakeCurve("A", 0x0B), Slots(), 0},
        {"type L curve to an older L hammer", kOldL, false, MakeCurve("A", 0x0A), Slots(), 0},
        {"quadratic to an older hammer", kOldN, false, MakeCurve("A", 0x09), Slots(), 0},
        {"cubic to an older hammer", kOldN, false, MakeCurve("A", 0x09, kCurvePolynomial, 0.001f), Slots(),
         59579},
        {"exponential to an older hammer", kOldN, false, MakeCurve("A", 0x09, kCurveExponential), Slots(),
         59579},
        {"exponential to a newer hammer", kNewN, true, MakeCurve("A", 0x09, kCurveExponential), Slots(), 0},
        {"cubic to a newer hammer", kNewN, true, MakeCurve("A", 0x09, kCurvePolynomial, 0.001f), Slots(), 0},
        {"the type check comes before the format check", kOldN, false,
         MakeCurve("A", 0x0A, kCurveExponential), Slots(), 59549},
        {"name already in C2", kNewL, true, MakeCurve("Prefab", 0x0A), Slots({}, Filled("Prefab")), 59551},
        {"name already in the target slot", kNewL, true, MakeCurve("Prefab", 0x0A), Slots(Filled("Prefab")),
         59551},
        {"another name in every slot", kNewL, true, MakeCurve("New", 0x0A),
         Slots(Filled("A"), Filled("B"), Filled("C")), 0},
        {"a type text of 15 characters", "Talvenbrecker N", true, MakeCurve("A", 0x09), Slots(), 61477},
        {"no identification at all", "", true, MakeCurve("A", 0x09), Slots(), 61477},
        {"16 characters without a type letter", "Talvenbrecker XY", true, MakeCurve("A", 0x09), Slots(), 0},
        // A damaged curve file must not reach the hammer, whose later series it would convert.
        {"a coefficient that is not a number", kNewL, true, Damaged([](TConvCust& c) { c.C = NAN; }), Slots(),
         62895},
        {"an infinite cubic coefficient", kNewL, true, Damaged([](TConvCust& c) { c.A = INFINITY; }), Slots(),
         62895},
        {"an exponential's unused c is not looked at", kNewL, true,
         Damaged([](TConvCust& c) { c.Kind = kCurveExponential, c.A = 1, c.B = 0.05f, c.C = NAN; }), Slots(),
         0},
        {"a Q range upside down", kNewL, true, Damaged([](TConvCust& c) { c.QMin = 90, c.QMax = 10; }),
         Slots(), 62895},
        {"a Q range of no width", kNewL, true, Damaged([](TConvCust& c) { c.QMin = c.QMax = 40; }), Slots(),
         62895},
        {"a Q range beyond 100", kNewL, true, Damaged([](TConvCust& c) { c.QMin = 250, c.QMax = 255; }),
         Slots(), 62895},
        {"the full Q range", kNewL, true, Damaged([](TConvCust& c) { c.QMin = 0, c.QMax = 100; }), Slots(),
         0},
        {"an unknown kind", kNewL, true, Damaged([](TConvCust& c) { c.Kind = 7; }), Slots(), 62895},
        {"the type checks come first", kNewN, true, Damaged([](TConvCust& c) { c.C = NAN; }), Slots(), 59549},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.expected, Tools::CheckSlotUpload(c.deviceType, c.newFormat, c.curve, c.slots)) << c.what;
}

TEST(SlotUpload, AnEmptySlotNeverMatchesAName) {
    // An empty slot may still carry old bytes; only filled slots count.
    SCurveSlot stale = Filled("Prefab");
    stale.Empty = 1;
    EXPECT_EQ(0u, Tools::CheckSlotUpload(kNewL, true, MakeCurve("Prefab", 0x0A), Slots(stale)));
}

TEST(SlotUpload, SlotAndCurveCarryTheSameThirtyBytes) {
    TConvCust curve = MakeCurve("Tunnel T1", 0x0A, kCurvePolynomial, 0.0001f);
    curve.Tag = 0;
    curve.Id = 57;
    const SCurveSlot slot = Tools::SlotFromCurve(curve);
    EXPECT_EQ(0, slot.Empty);
    EXPECT_EQ(20, slot.QMin);
    EXPECT_EQ(60, slot.QMax);
    EXPECT_EQ(0.0001f, float{slot.A});
    EXPECT_EQ(-5.0f, float{slot.D});
    EXPECT_EQ(0x0A, slot.Flags);
    EXPECT_EQ(u"Tunnel T1", Tools::SlotCurveName(slot));

    const TConvCust back = Tools::CurveFromSlot(slot);
    EXPECT_TRUE(back.IsEqualCurve(curve));
    EXPECT_EQ(3, back.Tag);
    EXPECT_EQ(1, std::int32_t{back.OnDevice});  // read from the hammer: never purged
    EXPECT_EQ(0, back.Id);
    EXPECT_EQ(curve.CurveName, back.CurveName);
}

TEST(SlotUpload, ContentTextsAndQuestions) {
    EXPECT_EQ(u"[Empty]", Tools::SlotContentText(SCurveSlot::Prepared()));
    EXPECT_EQ(u"Pier 3", Tools::SlotContentText(Filled("Pier 3")));
    EXPECT_EQ(
        u"You are about to overwrite Pier 3. \nAll measurement series using Pier 3 will use Deck B after "
        u"overwriting.\n\nContinue?",
        Tools::OverwriteQuestion(Filled("Pier 3"), MakeCurve("Deck B", 9)));
    EXPECT_EQ(59580u, Tools::EmptySlotQuestionId(true));
    EXPECT_EQ(59547u, Tools::EmptySlotQuestionId(false));
}

TEST(SlotUpload, SlotLabels) {
    struct SCase {
        const char16_t* text;
        std::optional<int> slot;
    };
    const SCase cases[] = {{u"C1", 0},
                           {u"c2", 1},
                           {u"C3", 2},
                           {u"C4", std::nullopt},
                           {u"C0", std::nullopt},
                           {u"1", std::nullopt},
                           {u"C12", std::nullopt}};
    for (const SCase& c : cases) EXPECT_EQ(c.slot, Tools::ParseSlotLabel(c.text)) << (&c - cases);
    EXPECT_EQ(u"C3", Tools::SlotLabel(2));
}

TEST(SlotUpload, HammerTypeLetterSitsAtFifteenOrSixteen) {
    EXPECT_TRUE(Tools::DeviceTypeHasLetter(kOldN, 'N'));
    EXPECT_TRUE(Tools::DeviceTypeHasLetter(kNewL, 'L'));
    EXPECT_FALSE(Tools::DeviceTypeHasLetter(kNewL, 'N'));
    EXPECT_FALSE(Tools::DeviceTypeHasLetter("Talvenbrecker N", 'N'));  // index 14
    EXPECT_FALSE(Tools::DeviceTypeHasLetter("", 'N'));
}

}  // namespace
