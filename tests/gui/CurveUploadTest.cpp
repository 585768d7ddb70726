// The curve upload dialog against the simulated hammer on a pseudo-terminal:
// what reaches the hammer's slots, and what the user is told on the way.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "device/VantrelDevice.h"
#include "tools/curves/UploadCurveDlg.h"
#include "ui/UiText.h"

namespace {

using namespace GuiTest;

TConvCust Curve(const char* name, std::uint8_t flags, std::uint8_t kind = kCurvePolynomial, float a = 0.0f) {
    TConvCust curve;
    curve.SetName8(name);
    curve.Flags = flags;
    curve.Kind = kind;
    curve.QMin = 20;
    curve.QMax = 60;
    curve.A = a;
    curve.B = 0.01f;
    curve.C = 0.9f;
    curve.D = -5.0f;
    return curve;
}

class CCurveUploadTest : public CSimHammerTest {};

struct SUploadCase {
    const char* name;
    const char* state;  // new-format-L: type L, C3 empty; old-format-N: type N, C2 empty
    TConvCust curve;
    int slot;
    unsigned refusal;  // 0: the curve lands in the slot
};

class CUploadCases : public CCurveUploadTest, public ::testing::WithParamInterface<SUploadCase> {};

TEST_P(CUploadCases, OnlyAFittingCurveReachesTheSlot) {
    const SUploadCase& c = GetParam();
    CSimLine line(LoadState(c.state));
    CMainFrame& frame = StartWith(line);
    const auto before = line.Hammer().GetState().Slots;

    CUploadCurveDlg dialog(c.curve, frame.Connection(), m_prompt, &frame);
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(dialog.UploadButton(c.slot)->text(),
              QStringLiteral("Upload %1 as C%2!").arg(UiText::ToQ(c.curve.Name())).arg(c.slot + 1));
    dialog.UploadInto(c.slot);

    const auto& after = line.Hammer().GetState().Slots;
    const auto slot = static_cast<std::size_t>(c.slot);
    if (c.refusal != 0) {
        EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{c.refusal}));
        EXPECT_EQ(after, before);
        return;
    }
    EXPECT_TRUE(m_prompt.shown.empty());
    // Read back from the hammer: the slot holds the curve, the others are untouched.
    ASSERT_TRUE(after[slot].has_value());
    EXPECT_EQ(std::string(after[slot]->Name.begin(), after[slot]->Name.end()).substr(0, 6), "Bridge");
    EXPECT_EQ(after[slot]->Flags, c.curve.Flags);
    EXPECT_FLOAT_EQ(after[slot]->C, 0.9f);
    EXPECT_FLOAT_EQ(after[slot]->D, -5.0f);
    for (std::size_t i = 0; i < 3; ++i)
        if (i != slot) {
            EXPECT_EQ(after[i], before[i]);
        }
    // The dialog shows what the hammer now holds.
    EXPECT_EQ(dialog.SlotContent(c.slot)->text(), QStringLiteral("Bridge"));
    EXPECT_TRUE(frame.Connection().IsConnected());
}

INSTANTIATE_TEST_SUITE_P(
    Slots, CUploadCases,
    ::testing::Values(SUploadCase{"LCurveOnNHammer", "old-format-N.json", Curve("Bridge", 0x0A), 1, 59549},
                      SUploadCase{"NCurveOnLHammer", "new-format-L.json", Curve("Bridge", 0x09), 2, 59550},
                      SUploadCase{"LCurveOnLHammer", "new-format-L.json", Curve("Bridge", 0x0A), 2, 0},
                      SUploadCase{"BothTypesOnNHammer", "old-format-N.json", Curve("Bridge", 0x0B), 1, 0},
                      SUploadCase{"CubicOnOldHammer", "old-format-N.json",
                                  Curve("Bridge", 0x09, kCurvePolynomial, 0.001f), 1, 59579},
                      SUploadCase{"NameOfC2IntoC3", "new-format-L.json", Curve("Prefab", 0x0A), 2, 59551}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CCurveUploadTest, OverwriteAskedAndNoKeepsTheSlot) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    const auto before = line.Hammer().GetState().Slots;
    CUploadCurveDlg dialog(Curve("Bridge", 0x0A), frame.Connection(), m_prompt, &frame);
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(dialog.SlotContent(0)->text(), QStringLiteral("Tunnel T1"));
    EXPECT_EQ(dialog.SlotContent(2)->text(), QStringLiteral("[Empty]"));

    m_prompt.answers = {Text::MsgResult::No};
    dialog.UploadInto(0);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59548}));
    EXPECT_EQ(line.Hammer().GetState().Slots, before);

    m_prompt.answers = {Text::MsgResult::Yes};
    dialog.UploadInto(0);
    ASSERT_TRUE(line.Hammer().GetState().Slots[0].has_value());
    EXPECT_EQ(line.Hammer().GetState().Slots[0]->Flags, 0x0A);
    EXPECT_EQ(dialog.SlotContent(0)->text(), QStringLiteral("Bridge"));
}

TEST_F(CCurveUploadTest, DeleteEmptiesOnlyItsOwnSlot) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    CUploadCurveDlg dialog(Curve("Bridge", 0x0A), frame.Connection(), m_prompt, &frame);
    ASSERT_TRUE(dialog.Open());
    const auto before = line.Hammer().GetState().Slots;

    // C2 holds "Prefab": asked with the newer hammer's wording, No keeps it.
    m_prompt.answers = {Text::MsgResult::No};
    dialog.DeleteButton(1)->click();
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59580}));
    EXPECT_EQ(line.Hammer().GetState().Slots, before);

    m_prompt.answers = {Text::MsgResult::Yes};
    dialog.DeleteButton(1)->click();
    const auto& after = line.Hammer().GetState().Slots;
    EXPECT_EQ(after[0], before[0]);
    EXPECT_FALSE(after[1].has_value());
    EXPECT_EQ(dialog.SlotContent(1)->text(), QStringLiteral("[Empty]"));
    // The request carried the mask of C2 alone.
    std::vector<std::vector<std::uint8_t>> deletes;
    for (const auto& request : line.ApplicationRequests())
        if (!request.empty() && request[0] == Device::CVantrelDevice::kSubDeleteSlots) deletes.push_back(request);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].back(), Device::kSlotC2);

    // An empty slot is emptied again without a question.
    m_prompt.shown.clear();
    dialog.DeleteButton(2)->click();
    EXPECT_TRUE(m_prompt.shown.empty());
    EXPECT_EQ(line.Hammer().GetState().Slots[0], before[0]);
}

TEST_F(CCurveUploadTest, UnreadableSlotsCloseTheDialogAndLetTheHammerGo) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    ASSERT_TRUE(frame.Connection().ConnectOnDemand(&frame));
    AnswerWithDeviceErrors(line);

    CUploadCurveDlg dialog(Curve("Bridge", 0x0A), frame.Connection(), m_prompt, &frame);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59442}));
    EXPECT_FALSE(frame.Connection().IsConnected());
}

}  // namespace
