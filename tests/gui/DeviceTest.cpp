// The device commands against the simulated hammer on a pseudo-terminal: the
// wizard is driven as a user would, the hammer answers over a real serial line.
#include "GuiTestSupport.h"
#include "ProjectFixture.h"
#include "app/ProgressDlg.h"
#include "device/VantrelDevice.h"
#include "model/CurveStore.h"
#include "ui/CommandIds.h"

namespace {

using namespace GuiTest;

class CDeviceTest : public CSimHammerTest {
  protected:
    // The window on the simulated hammer, with the progress it shows recorded.
    CMainFrame& StartWith(CSimLine& line) {
        CMainFrame& frame = CSimHammerTest::StartWith(line);
        QObject::connect(frame.ProgressDialog(), &CProgressDlg::positionChanged,
                         [this](int percent) { progress.push_back(percent); });
        return frame;
    }

    int CurveFiles() const {
        int n = 0;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_dir / "curves", ec))
            if (entry.path().extension() == ".zvc") ++n;
        return n;
    }

    std::vector<int> progress;
};

TEST_F(CDeviceTest, DownloadBringsTheHammersSeriesIntoTheProject) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    frame.OnCommand(Cmd::kDownloadAll);

    EXPECT_EQ(wizard.runs, 1);
    EXPECT_EQ(wizard.devicesFound, 1);
    EXPECT_TRUE(m_prompt.shown.empty());
    ASSERT_TRUE(frame.Connection().IsConnected());
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 4);
    EXPECT_EQ(frame.Doc().OriginalData().GetCount(), 4);
    EXPECT_TRUE(frame.Doc().IsModified());
    EXPECT_EQ(frame.Doc().WorkingData().GetImpactCounter(0), 30501);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 5);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_FALSE(frame.ProgressDialog()->isVisible());
    EXPECT_TRUE(frame.KeepAliveTimer().isActive());
    EXPECT_EQ(frame.KeepAliveTimer().interval(), 5000);
    EXPECT_TRUE(line.Hammer().GetState().ClockSet);
    // The two filled slots C1 and C2 are registered and kept as curve files.
    EXPECT_TRUE(CCurveStore::Instance().HasCurve(50));
    EXPECT_TRUE(CCurveStore::Instance().HasCurve(51));
    EXPECT_FALSE(CCurveStore::Instance().HasCurve(52));
    EXPECT_EQ(CurveFiles(), 2);
    EXPECT_TRUE(frame.IsCommandEnabled(Cmd::kDisconnect));

    // A second download uses the connected hammer: no wizard, no second copy of
    // the curve files. The unsaved download is not wanted.
    m_prompt.answers = {Text::MsgResult::No};
    frame.OnCommand(Cmd::kDownloadAll);
    EXPECT_EQ(wizard.runs, 1);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59399}));
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 4);
    EXPECT_EQ(CurveFiles(), 2);

    // The project can be saved and opened again.
    const fs::path saved = m_dir / "download.zvh";
    m_prompt.files = {saved};
    frame.OnCommand(Cmd::kSaveProjectAs);
    EXPECT_FALSE(frame.Doc().IsModified());
    frame.OnCommand(Cmd::kCloseProject);
    ASSERT_EQ(frame.Doc().WorkingData().GetCount(), 0);
    ASSERT_TRUE(frame.Doc().OpenProject(saved));
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 4);

    // The window closes and says goodbye to the hammer.
    const auto linkOffs = line.Hammer().GetState().LinkOffCount;
    frame.close();
    m_app->ExitInstance();
    EXPECT_GT(line.Hammer().GetState().LinkOffCount, linkOffs);
}

TEST_F(CDeviceTest, EmptyHammerSaysSoAndKeepsTheConnection) {
    CSimLine line(LoadState("empty.json"));
    CMainFrame& frame = StartWith(line);
    // The message comes once the progress dialog has gone.
    bool progressShownWithMessage = true;
    m_prompt.onShow = [&](const Text::SMessage&) { progressShownWithMessage = frame.ProgressDialog()->isVisible(); };
    frame.OnCommand(Cmd::kDownloadAll);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59546}));
    EXPECT_FALSE(progressShownWithMessage);
    EXPECT_TRUE(frame.Connection().IsConnected());
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 0);
    EXPECT_FALSE(frame.Doc().IsModified());
    EXPECT_FALSE(frame.KeepAliveTimer().isActive());
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("TOLVEX BRELVANTOR"));
}

struct SFailedDownloadCase {
    const char* name;
    Sim::SSimFaults faults;
    bool staysConnected;
};

Sim::SSimFaults Refused() {
    Sim::SSimFaults f;
    f.RefuseDownload = true;
    return f;
}
Sim::SSimFaults UnknownFormat() {
    Sim::SSimFaults f;
    f.FormatByte = 2;
    return f;
}
Sim::SSimFaults BadCheck() {
    Sim::SSimFaults f;
    f.BadCheck = true;
    return f;
}

const SFailedDownloadCase kFailedCases[] = {
    {"Refused", Refused(), false},
    {"BadCheckValue", BadCheck(), false},
    // A format this program does not know yet keeps the hammer connected.
    {"UnknownFormatByte", UnknownFormat(), true},
};

class FailedDownload : public CDeviceTest, public ::testing::WithParamInterface<SFailedDownloadCase> {};

TEST_P(FailedDownload, ReportsAndDecidesAboutTheConnection) {
    const SFailedDownloadCase& c = GetParam();
    CSimLine line(LoadState("new-format-L.json"), c.faults);
    CMainFrame& frame = StartWith(line);
    frame.OnCommand(Cmd::kDownloadAll);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59606}));
    EXPECT_EQ(frame.Connection().IsConnected(), c.staysConnected);
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 0);
    EXPECT_FALSE(frame.Doc().IsModified());
    EXPECT_FALSE(frame.KeepAliveTimer().isActive());
    EXPECT_FALSE(frame.ProgressDialog()->isVisible());
    if (!c.staysConnected) {
        EXPECT_GE(line.Hammer().GetState().LinkOffCount, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedDownload, ::testing::ValuesIn(kFailedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CDeviceTest, HammerWithoutDownloadSupportIsDisconnected) {
    CSimLine line(LoadState("no-download.json"));
    CMainFrame& frame = StartWith(line);
    frame.OnCommand(Cmd::kDownloadAll);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59442}));
    EXPECT_FALSE(frame.Connection().IsConnected());
    EXPECT_FALSE(frame.Doc().IsModified());
}

TEST_F(CDeviceTest, CancelAtTheSaveQuestionConnectsNothing) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    frame.Doc().TakeOverDownload(GuiFixture::MakeSeries(2));
    m_prompt.answers = {Text::MsgResult::Cancel};
    frame.OnCommand(Cmd::kDownloadAll);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59399}));
    EXPECT_EQ(wizard.runs, 0);
    EXPECT_FALSE(frame.Connection().IsConnected());
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 2);
    EXPECT_TRUE(frame.Doc().IsModified());
}

TEST_F(CDeviceTest, KeepAliveDropsTheHammerWhenItGoesAway) {
    auto line = std::make_unique<CSimLine>(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(*line);
    frame.OnCommand(Cmd::kDownloadAll);
    ASSERT_TRUE(frame.KeepAliveTimer().isActive());

    frame.OnKeepAliveTick();  // the hammer answers
    EXPECT_TRUE(frame.Connection().IsConnected());
    EXPECT_TRUE(frame.KeepAliveTimer().isActive());

    line.reset();  // the simulator ends: its terminal is gone
    frame.OnKeepAliveTick();
    EXPECT_FALSE(frame.Connection().IsConnected());
    EXPECT_FALSE(frame.KeepAliveTimer().isActive());
    EXPECT_FALSE(frame.IsCommandEnabled(Cmd::kDisconnect));
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 4);  // the downloaded series stay
}

struct SDeleteCase {
    const char* name;
    Text::MsgResult answer;
    std::vector<unsigned> shown;
    bool deleted;
};

const SDeleteCase kDeleteCases[] = {
    {"Yes", Text::MsgResult::Yes, {59518, 59512}, true},
    {"No", Text::MsgResult::No, {59518}, false},
    {"Cancel", Text::MsgResult::Cancel, {59518}, false},
};

class DeleteAll : public CDeviceTest, public ::testing::WithParamInterface<SDeleteCase> {};

TEST_P(DeleteAll, OnlyYesDeletesTheHammersSeries) {
    const SDeleteCase& c = GetParam();
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    m_prompt.answers = {c.answer};
    frame.OnCommand(Cmd::kDeleteAll);
    EXPECT_EQ(m_prompt.ShownIds(), c.shown);
    EXPECT_EQ(line.Hammer().GetState().Series.empty(), c.deleted);
    EXPECT_TRUE(frame.Connection().IsConnected());
    EXPECT_FALSE(frame.Doc().IsModified());
}

INSTANTIATE_TEST_SUITE_P(Answers, DeleteAll, ::testing::ValuesIn(kDeleteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CDeviceTest, DeleteAllThatTheHammerRefusesIsReported) {
    Sim::SSimFaults faults;
    faults.DeviceError = 0xF5;
    CSimLine line(LoadState("new-format-L.json"), faults);
    CMainFrame& frame = StartWith(line);
    m_prompt.answers = {Text::MsgResult::Yes};
    frame.OnCommand(Cmd::kDeleteAll);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59518, 59403}));
    EXPECT_FALSE(line.Hammer().GetState().Series.empty());
}

TEST_F(CDeviceTest, DeleteAllWithoutAHammerDeletesNothing) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    Device::CPortTable::SetCurrent(Device::CPortTable::Parse("1=" + (m_dir / "no-such-port").string()));
    frame.OnCommand(Cmd::kDeleteAll);
    // The wizard found nothing and asked to retry (Cancel), then the command says why.
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{21046, 59513}));
    EXPECT_EQ(wizard.devicesFound, 0);
    EXPECT_FALSE(line.Hammer().GetState().Series.empty());
}

TEST_F(CDeviceTest, DisconnectSwitchesTheLinkOff) {
    CSimLine line(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(line);
    frame.OnCommand(Cmd::kDownloadAll);
    ASSERT_TRUE(frame.Connection().IsConnected());
    const auto linkOffs = line.Hammer().GetState().LinkOffCount;
    frame.OnCommand(Cmd::kDisconnect);
    EXPECT_FALSE(frame.Connection().IsConnected());
    EXPECT_FALSE(frame.KeepAliveTimer().isActive());
    EXPECT_EQ(line.Hammer().GetState().LinkOffCount, linkOffs + 1);
}

// A firmware check is made once per connection and kept over a lost hammer,
// until a disconnect discards it.
TEST_F(CDeviceTest, FirmwareCheckLivesUntilDisconnect) {
    struct CCheck : IFirmwareCheck {
        explicit CCheck(int& stops) : m_stops(stops) {}
        void Stop() override { ++m_stops; }
        int& m_stops;
    };
    auto line = std::make_unique<CSimLine>(LoadState("new-format-L.json"));
    CMainFrame& frame = StartWith(*line);
    int made = 0;
    int stops = 0;
    frame.Connection().SetFirmwareCheckFactory([&](Device::CVantrelDevice&) {
        ++made;
        return std::make_unique<CCheck>(stops);
    });
    frame.OnCommand(Cmd::kDownloadAll);
    EXPECT_EQ(made, 1);
    line.reset();
    frame.OnKeepAliveTick();
    EXPECT_FALSE(frame.Connection().IsConnected());
    EXPECT_TRUE(frame.Connection().HasFirmwareCheck());
    EXPECT_EQ(stops, 0);

    line = std::make_unique<CSimLine>(LoadState("new-format-L.json"));
    UsePort(*line);
    m_prompt.answers = {Text::MsgResult::No};
    frame.OnCommand(Cmd::kDownloadAll);
    EXPECT_EQ(wizard.runs, 2);
    EXPECT_EQ(made, 1);  // the kept check is not made again
    frame.OnCommand(Cmd::kDisconnect);
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(frame.Connection().HasFirmwareCheck());
}

}  // namespace
