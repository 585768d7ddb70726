// The search wizard's pages on their own, and the small pieces of the shell:
// the reporter's boxes, the file filters, the clipboard.
#include <QClipboard>
#include <QComboBox>
#include <QPlainTextEdit>

#include "GuiTestSupport.h"
#include "app/ErrorReporter.h"
#include "app/MessageBoxPrompt.h"
#include "app/QtClipboard.h"
#include "device/ConnWizardSettings.h"
#include "device/DeviceThread.h"
#include "device/ZvDevice.h"
#include "settings/SettingsStore.h"
#include "streamio/StreamRegistry.h"

namespace {

using namespace GuiTest;

// The wizard needs the stream subsystem and the worker thread, as in the program.
class CWizardTest : public CGuiTest {
  protected:
    void SetUp() override {
        CGuiTest::SetUp();
        StreamIO::StartStreams();
        ASSERT_TRUE(Device::StartDeviceThread());
    }
    void TearDown() override {
        wizard.reset();
        Device::StopDeviceThread(2000);
        StreamIO::ShutdownStreams();
        CGuiTest::TearDown();
    }
    CDevSelectSheet& MakeWizard() {
        wizard = std::make_unique<CDevSelectSheet>(511, nullptr, 0, m_prompt, fs::path());
        wizard->show();
        return *wizard;
    }
    std::unique_ptr<CDevSelectSheet> wizard;
};

struct SEnablingCase {
    const char* name;
    int portType;
    bool scan;
    bool scanEnabled, portEnabled, stopEnabled, addressEnabled;
};

const SEnablingCase kEnablingCases[] = {
    {"SerialScanning", Device::PortSerial, true, true, false, true, false},
    {"SerialOnePort", Device::PortSerial, false, true, true, false, false},
    {"Usb", Device::PortUsb, true, false, false, false, false},
    {"Ethernet", Device::PortEthernet, false, false, false, false, true},
};

class PortPageEnabling : public CWizardTest, public ::testing::WithParamInterface<SEnablingCase> {};

TEST_P(PortPageEnabling, FollowsPortTypeAndScan) {
    const SEnablingCase& c = GetParam();
    CDevSelectSheet& w = MakeWizard();
    CPortSelectPage* page = w.PortPage();
    // The hammer offers serial only; the other rows are set up by hand.
    QComboBox* list = page->CommTypeList();
    if (list->findData(c.portType) < 0) list->addItem(QStringLiteral("other"), c.portType);
    page->ScanBox()->setChecked(c.scan);
    list->setCurrentIndex(list->findData(c.portType));
    EXPECT_EQ(page->ScanBox()->isEnabled(), c.scanEnabled);
    EXPECT_EQ(page->PortField()->isEnabled(), c.portEnabled);
    EXPECT_EQ(page->StopBox()->isEnabled(), c.stopEnabled);
    EXPECT_EQ(page->AddressField()->isEnabled(), c.addressEnabled);
}

INSTANTIATE_TEST_SUITE_P(Rules, PortPageEnabling, ::testing::ValuesIn(kEnablingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CWizardTest, HammerOffersOnlySerial) {
    CDevSelectSheet& w = MakeWizard();
    QComboBox* list = w.PortPage()->CommTypeList();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->itemText(0), QStringLiteral("Serial"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Select and connect the device"));
    EXPECT_EQ(w.buttonText(QWizard::NextButton), QStringLiteral("Next >"));
    EXPECT_EQ(w.button(QWizard::NextButton)->toolTip(), QStringLiteral("Advance to the next step"));
}

class PortValidation : public CWizardTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PortValidation, RefusesPortsOutsideTheRange) {
    CDevSelectSheet& w = MakeWizard();
    w.PortPage()->ScanBox()->setChecked(false);
    w.PortPage()->PortField()->setText(QString::fromLatin1(GetParam()));
    w.button(QWizard::NextButton)->click();
    EXPECT_EQ(w.currentId(), CDevSelectSheet::kPortPage);
    ASSERT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{62495}));
    EXPECT_EQ(m_prompt.shown[0].text, u"Enter an integer between 1 and 9999.");
}

INSTANTIATE_TEST_SUITE_P(Values, PortValidation, ::testing::Values("0", "10000", ""), [](const auto& info) {
    const std::string value = info.param;
    return value.empty() ? std::string("Empty") : "Port" + value;
});

TEST_F(CWizardTest, SearchWithoutAHammerOffersARetryWithTheSameSettings) {
    Device::CPortTable::SetCurrent(Device::CPortTable::Parse("1=" + (m_dir / "nothing").string()));
    CDevSelectSheet& w = MakeWizard();
    w.PortPage()->ScanBox()->setChecked(false);
    w.PortPage()->PortField()->setText(QStringLiteral("1"));
    m_prompt.answers = {Text::MsgResult::Ok, Text::MsgResult::Cancel};  // Retry once, then Cancel
    w.button(QWizard::NextButton)->click();
    ASSERT_TRUE(WaitFor([&] { return m_prompt.shown.size() == 2 && !w.ResultPage()->IsSearching(); }));
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{21046, 21046}));
    EXPECT_EQ(m_prompt.shown[0].buttons, Text::MsgButtons::OkCancel);
    EXPECT_TRUE(CMessageBoxPrompt::IsRetryQuestion(m_prompt.shown[0]));
    EXPECT_EQ(w.ResultPage()->StatusField()->toPlainText(),
              QStringLiteral("Finished device search, no device found."));
    EXPECT_FALSE(w.button(QWizard::FinishButton)->isEnabled());
    EXPECT_TRUE(w.button(QWizard::BackButton)->isEnabled());
}

TEST_F(CWizardTest, FoundHammerIsListedAndHandedOverOnFinish) {
    CSimLine line(LoadState("new-format-L.json"));
    UsePort(line, 4);
    CDevSelectSheet& w = MakeWizard();
    w.PortPage()->ScanBox()->setChecked(true);
    w.button(QWizard::NextButton)->click();
    CDevFoundPage* page = w.ResultPage();
    // While the search runs, only Cancel can be pressed.
    EXPECT_FALSE(w.button(QWizard::FinishButton)->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !page->IsSearching(); }));
    ASSERT_EQ(page->DeviceList()->count(), 1);
    EXPECT_EQ(page->DeviceList()->itemText(0), QStringLiteral("Serial number: TB-L-20417    @ COM4 (") +
                                                   QString::fromStdString(line.Path()) + QLatin1Char(')'));
    EXPECT_EQ(page->StatusField()->toPlainText(), QStringLiteral("Finished device search, found device(s):"));
    EXPECT_TRUE(page->InfoField()->toPlainText().contains(QStringLiteral("TB-L-20417")));
    EXPECT_TRUE(page->DeviceList()->isEnabled());
    EXPECT_TRUE(w.button(QWizard::FinishButton)->isEnabled());
    w.button(QWizard::FinishButton)->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    ASSERT_NE(w.Device(), nullptr);
    EXPECT_EQ(w.Device()->GetSerialNumber(), "TB-L-20417");
    EXPECT_EQ(page->DeviceCount(), 0);  // handed over, not closed with the page
    EXPECT_TRUE(m_prompt.shown.empty());
}

TEST_F(CWizardTest, BackAndNextSearchAgain) {
    CSimLine line(LoadState("new-format-L.json"));
    UsePort(line);
    CDevSelectSheet& w = MakeWizard();
    w.button(QWizard::NextButton)->click();
    ASSERT_TRUE(WaitFor([&] { return !w.ResultPage()->IsSearching(); }));
    ASSERT_EQ(w.ResultPage()->DeviceCount(), 1);
    w.button(QWizard::BackButton)->click();
    EXPECT_EQ(w.currentId(), CDevSelectSheet::kPortPage);
    EXPECT_EQ(w.ResultPage()->DeviceCount(), 0);
    w.button(QWizard::NextButton)->click();
    ASSERT_TRUE(WaitFor([&] { return !w.ResultPage()->IsSearching(); }));
    EXPECT_EQ(w.ResultPage()->DeviceCount(), 1);
}

TEST_F(CWizardTest, CancelDuringTheSearchStopsIt) {
    Sim::SSimFaults mute;
    mute.Mute = true;  // the hammer never answers: the search waits on it
    CSimLine line(LoadState("new-format-L.json"), mute);
    UsePort(line);
    CDevSelectSheet& w = MakeWizard();
    w.button(QWizard::NextButton)->click();
    ASSERT_TRUE(WaitFor([&] { return !w.ResultPage()->StatusField()->toPlainText().isEmpty(); }));
    w.button(QWizard::CancelButton)->click();
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_FALSE(w.ResultPage()->IsSearching());
    EXPECT_TRUE(Device::IsDeviceThreadIdle());
    EXPECT_TRUE(m_prompt.shown.empty());
}

// The choices are stored after the wizard closes, whatever the outcome.
TEST_F(CGuiTest, WizardChoicesAreSavedAfterItCloses) {
    CSimLine line(LoadState("new-format-L.json"));
    UsePort(line, 3);
    CMainFrame& frame = Start();
    SWizardScript script;
    script.scan = false;
    script.port = QStringLiteral("3");
    frame.Connection().SetWizardRunner(std::ref(script));
    ASSERT_TRUE(frame.Connection().ConnectOnDemand(&frame));
    Device::SConnWizardSettings saved;
    saved.Scan = true;
    ASSERT_TRUE(saved.Load(m_app->Store()));
    EXPECT_FALSE(saved.Scan);
    EXPECT_EQ(saved.PortNumber, 3);
    EXPECT_EQ(saved.CommType, Device::PortSerial);
    EXPECT_EQ(saved.DeviceType, Device::TypeVantrel);
    EXPECT_FALSE(saved.Express);
}

struct SPortTextCase {
    const char* name;
    const char* port;
    const char* table;
    const char* expected;
};

const SPortTextCase kPortTextCases[] = {
    {"DevicePathBeside", R"(\\.\COM12)", "12=/dev/ttyUSB0", "@ COM12 (/dev/ttyUSB0)"},
    {"NumberWithoutEntry", R"(\\.\COM3)", "", "@ COM3"},
    {"ComNameStays", "COM4", "4=/dev/ttyS0", "@ COM4"},
    {"IpLosesItsPort", "IP:10.0.0.5:3728", "", "@ IP:10.0.0.5"},
    {"OtherNamesAreLeftOut", "/dev/ttyS0", "", ""},
    {"BridgeEntryWithItsAddress", "192.0.2.10:4001", "9=IP:192.0.2.10:4001", "@ COM9 (IP:192.0.2.10:4001)"},
    {"BridgeEntryPrefixInAnyCase", "192.0.2.10:4002", "2=ip:192.0.2.10:4001;3=ip:192.0.2.10:4002",
     "@ COM3 (ip:192.0.2.10:4002)"},
    {"AddressWithoutEntryIsLeftOut", "192.0.2.10:4001", "9=IP:192.0.2.10:4009", ""},
};

class PortText : public ::testing::TestWithParam<SPortTextCase> {};

TEST_P(PortText, NamesThePortAsUsersSeeIt) {
    const SPortTextCase& c = GetParam();
    EXPECT_EQ(CDevFoundPage::PortText(c.port, Device::CPortTable::Parse(c.table)),
              QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Names, PortText, ::testing::ValuesIn(kPortTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceEntry, ShowsSerialNumberAndPortButNotTheType) {
    EXPECT_EQ(CDevFoundPage::EntryText("Talvenbrecker PCL", "12345", QStringLiteral("@ COM3")),
              QStringLiteral("Serial number: 12345    @ COM3"));
}

struct SReportCase {
    CErrorReporter::EKind kind;
    unsigned caption;
    Text::MsgIcon icon;
    bool asksForLog;
};

class Reporter : public ::testing::TestWithParam<SReportCase> {};

std::string KindName(CErrorReporter::EKind kind) {
    switch (kind) {
        case CErrorReporter::EKind::Information:
            return "Information";
        case CErrorReporter::EKind::Warning:
            return "Warning";
        case CErrorReporter::EKind::Error:
            return "Error";
        case CErrorReporter::EKind::Fatal:
            return "Fatal";
    }
    return "Unknown";
}

TEST_P(Reporter, CaptionIconAndLogRequest) {
    const SReportCase& c = GetParam();
    const Text::SMessage msg = CErrorReporter::MakeReport(c.kind, u"Something happened.", 1006);
    EXPECT_EQ(msg.captionId, c.caption);
    EXPECT_EQ(msg.icon, c.icon);
    EXPECT_EQ(msg.buttons, Text::MsgButtons::Ok);
    EXPECT_EQ(msg.textId, 1006u);
    const std::u16string logRequest =
        u"\r\n\r\nPlease send the log file to Tolvex SA and describe the error.\r\nThank you for helping us "
        u"improve our "
        u"Software.";
    EXPECT_EQ(msg.text,
              c.asksForLog ? u"Something happened." + logRequest : std::u16string(u"Something happened."));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Reporter,
    ::testing::Values(SReportCase{CErrorReporter::EKind::Information, 28503, Text::MsgIcon::Information,
                                  false},
                      SReportCase{CErrorReporter::EKind::Warning, 28502, Text::MsgIcon::Warning, false},
                      SReportCase{CErrorReporter::EKind::Error, 28501, Text::MsgIcon::Error, true},
                      SReportCase{CErrorReporter::EKind::Fatal, 28500, Text::MsgIcon::Error, true}),
    [](const auto& info) { return KindName(info.param.kind); });

TEST(MessageBoxPrompt, FileFiltersAndCaptions) {
    EXPECT_EQ(CMessageBoxPrompt::ToDialogFilter(u"BRELVANTOR Project (*.zvh)|*.zvh|All Files (*.*)|*.*||"),
              QStringLiteral("BRELVANTOR Project (*.zvh);;All Files (*.*)"));
    EXPECT_EQ(CMessageBoxPrompt::ToDialogFilter(u"Curves|*.zvc;*.ZVC||"),
              QStringLiteral("Curves (*.zvc *.ZVC)"));
    EXPECT_EQ(CMessageBoxPrompt::ToDialogFilter(u""), QString());
    Text::SMessage msg;
    msg.icon = Text::MsgIcon::Warning;
    EXPECT_EQ(CMessageBoxPrompt::CaptionOf(msg), QStringLiteral("Warning"));
    msg.caption = u"Brelvantor Error";
    EXPECT_EQ(CMessageBoxPrompt::CaptionOf(msg), QStringLiteral("Brelvantor Error"));
}

TEST(QtClipboard, CarriesTheSeriesFormatBesideText) {
    CQtClipboard clipboard;
    clipboard.Clear();
    EXPECT_FALSE(clipboard.GetData(Doc::kClipboardFormatName).has_value());
    const std::vector<std::uint8_t> bytes{4, 0, 0, 0, 1, 2, 0, 255};
    ASSERT_TRUE(clipboard.PutText(u"a\tb"));
    ASSERT_TRUE(clipboard.PutData(Doc::kClipboardFormatName, bytes));
    EXPECT_EQ(clipboard.GetData(Doc::kClipboardFormatName), bytes);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a\tb"));
    EXPECT_EQ(CQtClipboard::MimeTypeOf(Doc::kClipboardFormatName),
              QStringLiteral("application/x-brelvantorclipboardformat"));
    clipboard.Clear();
    EXPECT_FALSE(clipboard.GetData(Doc::kClipboardFormatName).has_value());
}

}  // namespace
