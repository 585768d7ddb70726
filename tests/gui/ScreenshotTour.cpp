// gui_screenshot_tour FOLDER: takes the pictures of docs/screenshots. The
// program is started as a user starts it, a simulated hammer is connected
// through the wizard, and every window of interest is saved as PNG: the main
// window empty and after a download (both tabs, English and German), the
// wizard's two pages during and after a search, the progress window, the
// settings dialog in English and German, the about box, and the curve slots
// and custom statistics of a hammer in both languages.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise (with
// xvfb-run and QT_QPA_PLATFORM=xcb the pictures carry the desktop's style).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "GuiDriver.h"
#include "ProjectFixture.h"
#include "app/AboutDlg.h"
#include "app/AppSettingsDlg.h"
#include "app/BrelvantorApp.h"
#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/ProgressDlg.h"
#include "app/StderrPrompt.h"
#include "device/PortTable.h"
#include "doc/HammerDoc.h"
#include "model/HammerData.h"
#include "model/SummaryData.h"
#include "settings/AppSettings.h"
#include "tools/CurveCreation.h"
#include "tools/curves/CreateCurveDlg.h"
#include "tools/curves/CurveLibraryDlg.h"
#include "tools/curves/CurvePlot.h"
#include "tools/curves/CustomStatDlg.h"
#include "tools/curves/UploadCurveDlg.h"
#include "ui/CommandIds.h"
#include "views/ChildView.h"
#include "views/TabSheet.h"

namespace fs = std::filesystem;
using namespace GuiTest;

namespace {

QString g_folder;
int g_failures = 0;
void Save(QWidget* widget, const char* name);

// The curve slots and the custom statistics of a hammer whose C1 alone holds
// a curve; `suffix` is "" or "-de". The window's connection is moved to it.
void ToolPictures(CMainFrame& frame, Text::IUserPrompt& prompt, const char* suffix) {
    Sim::SSimState state = LoadState("new-format-L.json");
    state.Slots[1].reset();
    CSimLine hammer(state);
    frame.Connection().Disconnect();
    Device::CPortTable::SetCurrent(Device::CPortTable::Parse("1=" + hammer.Path()));
    std::vector<TConvCust> curves(2);
    curves[0].SetName8("Bridge N4");
    curves[0].Flags = 0x0A;
    curves[1].SetName8("Wall 2024");
    curves[1].Flags = 0x0A;
    const std::string upload = std::string("curve-upload") + suffix + ".png";
    const std::string stats = std::string("custom-statistics") + suffix + ".png";
    {
        CUploadCurveDlg dialog(curves, 0, frame.Connection(), prompt, &frame);
        if (!dialog.Open()) ++g_failures;
        dialog.show();
        Save(&dialog, upload.c_str());
    }
    {
        CCustomStatDlg dialog(frame.Connection(), prompt, &frame);
        if (!dialog.Open()) ++g_failures;
        dialog.Edit(0)->setText(QStringLiteral("12"));
        dialog.Edit(1)->setText(QStringLiteral("30"));
        dialog.show();
        Save(&dialog, stats.c_str());
    }
    frame.Connection().Disconnect();
}

void Save(QWidget* widget, const char* name) {
    // Let layouts settle and everything paint once.
    WaitFor([] { return false; }, 150);
    const QString file = g_folder + QLatin1Char('/') + QLatin1String(name);
    if (widget->grab().save(file, "PNG")) {
        std::printf("%s\n", file.toLocal8Bit().constData());
    } else {
        std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
        ++g_failures;
    }
}

// The Summary tab over `count` series of a wall, in the window `width` wide.
void SaveSummary(CMainFrame& frame, int count, bool median, int width, const char* name) {
    CHammerDoc& doc = frame.Doc();
    doc.SetModified(false);
    doc.TakeOverDownload(GuiFixture::MakeSeries(count));
    CHammerData& data = doc.WorkingData();
    static const char16_t* const kNames[] = {u"Wall A north", u"Wall A south", u"Column C3", u"Slab level 2",
                                             u"Beam B7 underside near support", u"Wall B"};
    if (count <= 12)
        for (int i = 0; i < data.GetCount(); ++i) data.SetName(i, kNames[i % 6]);
    doc.Summary().BuildSummary(data);
    doc.Summary().SetAveraging(0, median ? kSummaryMedian : kSummaryMean);
    doc.Summary().SetTitle(0, u"Basement walls, axis 1 to 4. Tested after 28 days.");
    doc.NotifyViews(nullptr, -1);
    const QSize old = frame.size();
    frame.resize(width, 760);
    frame.View()->Sheet()->setCurrentIndex(1);
    Save(&frame, name);
    frame.resize(old);
    doc.SetModified(false);
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The shipped German module.
void WriteGermanModule(const fs::path& target) {
    std::ofstream(target, std::ios::binary)
        << ReadText(fs::path(BRELVANTOR_SOURCE_DIR) / "lang" / "Brelvantor_DEU.lng");
}

// The curve dialogs: a polynomial being typed with the name's tip up, a curve
// entered in PSI viewed again, and the library listing both.
void CurveShots(CMainFrame& frame, Text::IUserPrompt& prompt, const std::string& suffix) {
    CHammerDoc& doc = frame.Doc();
    int psi = -1;
    for (std::size_t i = 0; i < doc.CurveLibrary().size(); ++i)
        if (doc.CurveLibrary()[i].Name8() == "C30 PSI") psi = static_cast<int>(i);
    if (psi < 0) {
        Tools::TNewCurveInput in;
        in.name = u"C30 PSI";
        in.unit = kUnitPSI;
        in.b = 0.35;
        in.c = 40;
        in.d = 200;
        in.qMin = 20;
        in.qMax = 70;
        in.typeN = false;
        doc.SaveCurveFile(Tools::CheckNewCurve(in).curve);
        for (std::size_t i = 0; i < doc.CurveLibrary().size(); ++i)
            if (doc.CurveLibrary()[i].Name8() == "C30 PSI") psi = static_cast<int>(i);
    }
    {
        CCreateCurveDlg create(doc, prompt, &frame);
        create.resize(900, 540);
        create.show();
        WaitFor([] { return false; }, 100);
        const char* values[] = {"0", "0.004", "0.35", "-4"};
        for (int i = 0; i < 4; ++i) create.CoefficientEdit(i)->setText(QString::fromLatin1(values[i]));
        create.MinimumEdit()->setText(QStringLiteral("20"));
        create.TakeFields();
        create.Plot()->update();
        // The eleventh letter brings up the tip.
        create.NameEdit()->setFocus();
        create.NameEdit()->setText(QStringLiteral("Bridge C30a"));
        Save(&create, ("curve-create" + suffix + ".png").c_str());
    }
    if (psi >= 0) {
        CCreateCurveDlg view(doc, prompt, psi, &frame);
        view.resize(900, 540);
        view.show();
        Save(&view, ("curve-view-psi" + suffix + ".png").c_str());
    }
    {
        CUploadUserCurve library(doc, prompt, [](QWidget*, int) {}, &frame);
        library.show();
        Save(&library, ("curve-library" + suffix + ".png").c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gui_screenshot_tour FOLDER\n");
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_folder);

    char pattern[] = "/tmp/brelvantor-tour-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const fs::path dir = pattern;
    fs::create_directories(dir / "bin");
    const fs::path program = dir / "bin" / "brelvantor";
    WriteGermanModule(dir / "bin" / "Brelvantor_DEU.lng");
    setenv("BRELVANTOR_CURVES", (dir / "curves").c_str(), 1);

    CStderrPrompt prompt;
    int code = 0;
    {
        CBrelvantorApp app({program, &prompt, dir / "brelvantor.settings"});
        if (!app.InitInstance(CCommandLine::Parse({}), true)) return 1;
        CMainFrame& frame = *app.MainFrame();
        frame.resize(1180, 720);
        Save(&frame, "main-empty.png");

        // The wizard: its communication page, the result page while the search
        // waits for a hammer that does not answer, and once a hammer was found.
        {
            Sim::SSimFaults mute;
            mute.Mute = true;
            CSimLine silent(LoadState("new-format-L.json"), mute);
            Device::CPortTable::SetCurrent(Device::CPortTable::Parse("1=" + silent.Path()));
            CDevSelectSheet wizard(Ids::kWizardCaption, &frame, 0, prompt, fs::path());
            wizard.resize(560, 470);
            wizard.show();
            Save(&wizard, "wizard-port.png");
            wizard.button(QWizard::NextButton)->click();
            WaitFor([&] { return !wizard.ResultPage()->StatusField()->toPlainText().isEmpty(); }, 10000);
            Save(&wizard, "wizard-searching.png");
            wizard.reject();
        }
        {
            CSimLine hammer(LoadState("new-format-L.json"));
            Device::CPortTable::SetCurrent(Device::CPortTable::Parse("1=" + hammer.Path()));
            CDevSelectSheet wizard(Ids::kWizardCaption, &frame, 0, prompt, fs::path());
            wizard.resize(560, 470);
            wizard.show();
            wizard.button(QWizard::NextButton)->click();
            WaitFor(
                [&] {
                    return wizard.currentId() == CDevSelectSheet::kResultPage &&
                           !wizard.ResultPage()->IsSearching();
                },
                30000);
            Save(&wizard, "wizard-result.png");
            wizard.reject();
        }

        // A download of many series over a line slow enough to watch.
        CSimLine line(LoadState("large.json"), {}, 24000);
        Device::CPortTable::SetCurrent(Device::CPortTable::Parse("1=" + line.Path()));
        SWizardScript script;
        frame.Connection().SetWizardRunner(std::ref(script));
        bool progressSaved = false;
        const QObject receiver;  // ends the connection before `progressSaved` goes
        QObject::connect(frame.ProgressDialog(), &CProgressDlg::positionChanged, &receiver, [&](int percent) {
            if (!progressSaved && percent >= 40 && percent < 100) {
                progressSaved = true;
                Save(frame.ProgressDialog(), "progress.png");
            }
        });
        frame.OnCommand(Cmd::kDownloadAll);
        if (!progressSaved) {
            std::fprintf(stderr, "the progress window was not seen between 40 and 99 %%\n");
            ++g_failures;
        }
        Save(&frame, "main-download.png");
        frame.View()->Sheet()->setCurrentIndex(1);
        Save(&frame, "main-summary.png");
        frame.View()->Sheet()->setCurrentIndex(0);
        ToolPictures(frame, prompt, "");

        {
            CAppSettingsDlg settings(app.AppSettings(), program, &frame);
            settings.show();
            Save(&settings, "settings-en.png");
        }
        {
            CAboutDlg about(app.AppSettings(), &frame);
            about.show();
            Save(&about, "about-en.png");
        }
        CurveShots(frame, prompt, "");

        // German: as after choosing it in the settings dialog.
        app.AppSettings().SetLanguageFile((dir / "bin" / "Brelvantor_DEU.lng").u16string());
        frame.ReloadMenus();
        frame.View()->RefreshAll();
        {
            CAppSettingsDlg settings(app.AppSettings(), program, &frame);
            settings.show();
            Save(&settings, "settings-de.png");
        }
        {
            CAboutDlg about(app.AppSettings(), &frame);
            about.show();
            Save(&about, "about-de.png");
        }
        CurveShots(frame, prompt, "-de");
        Save(&frame, "main-download-de.png");
        ToolPictures(frame, prompt, "-de");
        SaveSummary(frame, 5, false, 1180, "summary-de.png");

        // The summary pages in English, each over a project of its own.
        app.AppSettings().SetLanguageFile(u"");
        app.AppSettings().LoadLanguageModule();
        frame.ReloadMenus();
        frame.View()->RefreshAll();
        SaveSummary(frame, 5, false, 1180, "summary-5-mean.png");
        SaveSummary(frame, 12, true, 1180, "summary-12-median.png");
        SaveSummary(frame, 300, false, 1180, "summary-300.png");
        SaveSummary(frame, 100, false, 900, "summary-stacked-900.png");
        frame.Doc().SetModified(false);
        app.ExitInstance();
        code = g_failures == 0 ? 0 : 1;
    }
    Device::CPortTable::SetCurrent(std::nullopt);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return code;
}
