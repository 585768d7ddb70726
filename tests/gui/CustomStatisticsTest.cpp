// The custom statistics dialog against the simulated hammer on a
// pseudo-terminal: what the hammer ends up holding, and which explanation a
// refused rule gets.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "tools/curves/CustomStatDlg.h"
#include "tools/curves/UploadCurveDlg.h"
#include "ui/CommandIds.h"

namespace {

using namespace GuiTest;

class CCustomStatisticsTest : public CSimHammerTest {
  protected:
    static void Enter(CCustomStatDlg& dialog, int method, const char* min, const char* max, const char* upper,
                      const char* lower) {
        dialog.MethodList()->setCurrentIndex(dialog.MethodList()->findData(method));
        const char* texts[4] = {min, max, upper, lower};
        for (int i = 0; i < 4; ++i) dialog.Edit(i)->setText(QString::fromLatin1(texts[i]));
    }
};

TEST_F(CCustomStatisticsTest, OpensWithTheStoredRuleOnBothSides) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    CCustomStatDlg dialog(frame.Connection(), m_prompt, &frame);
    ASSERT_TRUE(dialog.Open());
    EXPECT_TRUE(m_prompt.shown.empty());
    // mode 2, 10 to 20 impacts, 2 and 2 outliers
    const char* stored[4] = {"10", "20", "2", "2"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dialog.Edit(i)->text(), QLatin1String(stored[i]));
        EXPECT_EQ(dialog.Stored(i)->text(), QLatin1String(stored[i]));
        EXPECT_FALSE(dialog.Stored(i)->isEnabled());
    }
    EXPECT_EQ(dialog.MethodList()->currentData().toInt(), 2);
    EXPECT_EQ(dialog.StoredMethod()->currentData().toInt(), 2);
    EXPECT_EQ(dialog.MethodList()->count(), 2);
    // Only digits can be typed.
    dialog.Edit(0)->clear();
    QTest::keyClicks(dialog.Edit(0), QStringLiteral("1a-2"));
    EXPECT_EQ(dialog.Edit(0)->text(), QStringLiteral("12"));
}

struct SRuleCase {
    const char* name;
    int method;
    const char* min;
    const char* max;
    const char* upper;
    const char* lower;
    unsigned message;  // 0: accepted
};

class CRuleCases : public CCustomStatisticsTest, public ::testing::WithParamInterface<SRuleCase> {};

TEST_P(CRuleCases, TheHammerHoldsTheRuleOrTheRefusalIsExplained) {
    const SRuleCase& c = GetParam();
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    const auto before = line.Hammer().GetState().Statistics;
    CCustomStatDlg dialog(frame.Connection(), m_prompt, &frame);
    ASSERT_TRUE(dialog.Open());
    Enter(dialog, c.method, c.min, c.max, c.upper, c.lower);
    dialog.UploadButton()->click();

    const auto& after = line.Hammer().GetState().Statistics;
    ASSERT_TRUE(after.has_value());
    if (c.message != 0) {
        EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{c.message}));
        EXPECT_EQ(after, before);
        EXPECT_EQ(dialog.Stored(0)->text(), QStringLiteral("10"));
        return;
    }
    EXPECT_TRUE(m_prompt.shown.empty());
    EXPECT_EQ(after->Mode, c.method);
    EXPECT_EQ(after->MinImpacts, std::stoi(c.min));
    EXPECT_EQ(after->MaxImpacts, std::stoi(c.max));
    EXPECT_EQ(after->UpperOutliers, std::stoi(c.upper));
    EXPECT_EQ(after->LowerOutliers, std::stoi(c.lower));
    // The right side shows what the hammer now holds.
    EXPECT_EQ(dialog.Stored(1)->text(), QLatin1String(c.max));
    EXPECT_EQ(dialog.StoredMethod()->currentData().toInt(), c.method);
}

INSTANTIATE_TEST_SUITE_P(
    Statistics, CRuleCases,
    ::testing::Values(SRuleCase{"Accepted", 5, "12", "30", "1", "3", 0},
                      // the last matching check decides: minimum 0 after maximum >= 100
                      SRuleCase{"MinimumZeroAndMaximumTooLarge", 2, "0", "120", "0", "0", 59592},
                      SRuleCase{"OutliersReachTheMinimum", 2, "5", "20", "3", "3", 59590},
                      SRuleCase{"MaximumBelowMinimum", 2, "20", "10", "1", "1", 59589},
                      // 300 would reach the hammer as its low byte, 44, a rule nobody typed
                      SRuleCase{"BeyondAByteNeverSent", 2, "10", "300", "1", "1", 62601}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CCustomStatisticsTest, ARefusalNoCheckExplainsIsAnUnknownError) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    CCustomStatDlg dialog(frame.Connection(), m_prompt, &frame);
    ASSERT_TRUE(dialog.Open());
    const auto before = line.Hammer().GetState().Statistics;
    // A sound rule the hammer refuses all the same; it then cannot be read
    // back either, and is let go with the right side as it was.
    Enter(dialog, 2, "10", "20", "3", "3");
    AnswerWithDeviceErrors(line);
    dialog.UploadButton()->click();
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59588, 59594}));
    EXPECT_EQ(line.Hammer().GetState().Statistics, before);
    EXPECT_EQ(dialog.Stored(2)->text(), QStringLiteral("2"));
    EXPECT_FALSE(frame.Connection().IsConnected());
}

TEST_F(CCustomStatisticsTest, AnOlderHammerClosesTheDialogAndIsLetGo) {
    CSimLine line(LoadState("old-format-N.json"));
    CMainFrame& frame = StartWith(line);
    ASSERT_TRUE(frame.IsCommandEnabled(Cmd::kCustomStatistics));
    frame.OnCommand(Cmd::kCustomStatistics);
    EXPECT_EQ(wizard.runs, 1);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59593}));
    EXPECT_FALSE(frame.Connection().IsConnected());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(CCustomStatisticsTest, AnUnreadableRuleClosesTheDialogAndIsLetGo) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    ASSERT_TRUE(frame.Connection().ConnectOnDemand(&frame));
    AnswerWithDeviceErrors(line);
    CCustomStatDlg dialog(frame.Connection(), m_prompt, &frame);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59594}));
    EXPECT_FALSE(frame.Connection().IsConnected());
}

}  // namespace

namespace {

using namespace GuiTest;

// No hammer answers and the search finds none: the upload dialog never shows,
// the statistics dialog opens with nothing filled in.
TEST_F(CCustomStatisticsTest, WithoutAHammerNothingIsShownOrFilled) {
    Sim::SSimFaults mute;
    mute.Mute = true;
    CSimLine line(LoadState("new-format-L.json"), mute);
    CMainFrame& frame = StartWith(line);

    TConvCust curve;
    curve.SetName8("Bridge");
    CUploadCurveDlg upload(curve, frame.Connection(), m_prompt, &frame);
    EXPECT_EQ(upload.exec(), QDialog::Rejected);
    EXPECT_EQ(wizard.devicesFound, 0);

    CCustomStatDlg stats(frame.Connection(), m_prompt, &frame);
    EXPECT_TRUE(stats.Open());
    EXPECT_EQ(wizard.runs, 2);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(stats.Stored(i)->text().isEmpty());
    EXPECT_EQ(stats.StoredMethod()->currentIndex(), -1);
    // Only the search's own "No device found ... Retry?", once for each dialog.
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{21046, 21046}));
}

}  // namespace
