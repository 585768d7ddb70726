// The settings dialog and the about box: languages offered, format choices,
// what OK stores and reloads.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <cstdio>

#include "GuiTestSupport.h"
#include "ProjectFixture.h"
#include "app/AboutDlg.h"
#include "app/AppSettingsDlg.h"
#include "app/QtTranslations.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "text/FileVersionInfo.h"
#include "text/StringTable.h"
#include "ui/CommandIds.h"
#include "ui/grid/GridView.h"
#include "views/ChildView.h"
#include "views/TabGrid.h"
#include "views/TabSheet.h"

namespace {

using namespace GuiTest;

class CSettingsTest : public CGuiTest {
  protected:
    void TearDown() override {
        Text::SetLanguageOverrides(nullptr);
        CGuiTest::TearDown();
    }

    // A language module beside the program with the given product version.
    void WriteModule(const std::string& fileName, const std::string& name, const std::string& version) {
        WriteFile(m_dir / "bin" / fileName,
                  "[Version]\nProductVersion=" + version + "\nFileVersion=" + version +
                      "\nInternalName=" + name + "\nOriginalFileName=" + fileName +
                      "\nComments=Deutsche Oberfläche\nLegalCopyright=(C) Tolvex DE\n"
                      "[Strings]\n62400\t&Datei\n62401\tGerät\n62402\t&Bearbeiten\n62403\t&Hilfe\n"
                      "62410\tProjekt öffnen...\n59521\tMessreihen\n59522\tZusammenfassung\n");
    }

    static std::string ProgramVersion() {
        return QString::fromStdU16String(Text::CFileVersionInfo::Program().ProductVersion().ToText())
            .toStdString();
    }

    void StoreDTFormat(std::uint32_t value) {
        Settings::CSettingsStore store(m_dir / "brelvantor.settings");
        auto key = store.OpenKey(u"Software\\Tolvex\\Brelvantor\\Settings", true);
        ASSERT_TRUE(key && key->WriteDword(u"DTFormat", value));
    }

    static QStringList Items(QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
        return out;
    }

    // Runs the settings command; `choose` sets the dialog's controls, then OK.
    void RunSettings(CMainFrame& frame, const std::function<void(CAppSettingsDlg&)>& choose) {
        WhenModal([choose](QWidget* modal) {
            auto* dialog = qobject_cast<CAppSettingsDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            choose(*dialog);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        frame.OnCommand(Cmd::kAppSettings);
    }
};

TEST_F(CSettingsTest, OkWithoutChangeDoesNotReloadTheMenu) {
    WriteModule("Brelvantor_DEU.lng", "Deutsch", ProgramVersion());
    CMainFrame& frame = Start();
    const QList<QAction*> before = frame.menuBar()->actions();
    RunSettings(frame, [](CAppSettingsDlg&) {});
    EXPECT_EQ(frame.menuBar()->actions(), before);
    EXPECT_EQ(frame.menuBar()->actions()[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(m_app->AppSettings().DTFormat(), 0u);
    EXPECT_TRUE(m_prompt.shown.empty());
}

TEST_F(CSettingsTest, LanguageChangeReloadsTheMenuInGerman) {
    WriteModule("Brelvantor_DEU.lng", "Deutsch", ProgramVersion());
    CMainFrame& frame = Start();
    frame.SetSoftwareVersion(CVersion(9, 0, 0, 0));
    const QList<QAction*> before = frame.menuBar()->actions();
    RunSettings(frame, [](CAppSettingsDlg& dialog) {
        ASSERT_EQ(dialog.LanguageList()->count(), 2);
        EXPECT_EQ(dialog.LanguageList()->itemText(1), QStringLiteral("Deutsch"));
        dialog.LanguageList()->setCurrentIndex(1);
    });
    const QList<QAction*> menus = frame.menuBar()->actions();
    EXPECT_NE(menus, before);
    ASSERT_EQ(menus.size(), 5);  // the notice menu is rebuilt at the end
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&Datei"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("Gerät"));
    EXPECT_EQ(menus[3]->text(), QStringLiteral("&Hilfe"));
    EXPECT_EQ(frame.Action(Cmd::kOpenProject)->text(), QStringLiteral("Projekt öffnen..."));
    // Labels the module does not carry keep their English text.
    EXPECT_EQ(frame.Action(Cmd::kCopy)->text(), QStringLiteral("Copy\t(Ctrl+C)"));
    EXPECT_EQ(frame.View()->Sheet()->tabText(0), QStringLiteral("Messreihen"));
    EXPECT_EQ(menus[4]->menu(), frame.NoticeMenu());
    EXPECT_EQ(m_app->AppSettings().LanguageFile(), (m_dir / "bin" / "Brelvantor_DEU.lng").u16string());

    // And back to the program's own language.
    RunSettings(frame, [](CAppSettingsDlg& dialog) {
        EXPECT_EQ(dialog.LanguageList()->currentIndex(), 1);
        dialog.LanguageList()->setCurrentIndex(0);
    });
    EXPECT_EQ(frame.menuBar()->actions()[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(frame.View()->Sheet()->tabText(0), QStringLiteral("Series"));
    EXPECT_EQ(m_app->AppSettings().LanguageFile(), m_programPath.u16string());
}

QString StandardButtonText(QDialogButtonBox::StandardButton which) {
    QDialogButtonBox box(which);
    return box.button(which)->text();
}

// Qt's own buttons and dialogs speak the chosen language too, from Qt's
// catalogue for it; back in English they are Qt's English again.
TEST_F(CSettingsTest, QtsOwnButtonsFollowTheChosenLanguage) {
    WriteModule("Brelvantor_DEU.lng", "Deutsch", ProgramVersion());
    CMainFrame& frame = Start();
    EXPECT_EQ(StandardButtonText(QDialogButtonBox::Yes), QStringLiteral("&Yes"));
    RunSettings(frame, [](CAppSettingsDlg& dialog) { dialog.LanguageList()->setCurrentIndex(1); });
    EXPECT_EQ(StandardButtonText(QDialogButtonBox::Yes), QStringLiteral("&Ja"));
    EXPECT_EQ(StandardButtonText(QDialogButtonBox::Cancel), QStringLiteral("Abbrechen"));
    RunSettings(frame, [](CAppSettingsDlg& dialog) { dialog.LanguageList()->setCurrentIndex(0); });
    EXPECT_EQ(StandardButtonText(QDialogButtonBox::Yes), QStringLiteral("&Yes"));
}

// The shipped module names its language itself, and a start with it chosen
// brings Qt's texts at once.
TEST_F(CSettingsTest, AStartInGermanBringsQtsGermanTexts) {
    const fs::path module = m_dir / "bin" / "Brelvantor_DEU.lng";
    std::ifstream in(fs::path(BRELVANTOR_SOURCE_DIR) / "lang" / "Brelvantor_DEU.lng", std::ios::binary);
    WriteFile(module, std::string(std::istreambuf_iterator<char>(in), {}));
    {
        Settings::CSettingsStore store(m_dir / "brelvantor.settings");
        auto key = store.OpenKey(u"Software\\Tolvex\\Brelvantor\\Settings", true);
        ASSERT_TRUE(key && key->WriteString(u"LanguageFile", module.u16string()));
    }
    Start();
    ASSERT_TRUE(m_app->AppSettings().IsLanguageModuleLoaded());
    EXPECT_EQ(CQtTranslations::LanguageOf(module), QStringLiteral("de"));
    EXPECT_EQ(StandardButtonText(QDialogButtonBox::No), QStringLiteral("&Nein"));
    m_app.reset();
    EXPECT_EQ(StandardButtonText(QDialogButtonBox::No), QStringLiteral("&No"));
}

TEST_F(CSettingsTest, ModulesOfAnotherVersionOrUnreadableAreNotOffered) {
    const Text::TModuleVersion program = Text::CFileVersionInfo::Program().ProductVersion();
    const std::string otherMinor =
        std::to_string(program.Major()) + "." + std::to_string(program.Minor() + 1) + ".0.0";
    WriteModule("Brelvantor_FRA.lng", "Francais", otherMinor);
    WriteModule("Brelvantor_ITA.lng", "Italiano", ProgramVersion());
    WriteFile(m_dir / "bin" / "Brelvantor_XXX.lng", "not a module\n");
    WriteModule("Other_ESP.lng", "Espanol", ProgramVersion());
    Start();
    CAppSettingsDlg dialog(m_app->AppSettings(), m_programPath, nullptr);
    EXPECT_EQ(Items(dialog.LanguageList()), (QStringList{QStringLiteral("English"), QStringLiteral("Italiano")}));
    EXPECT_EQ(dialog.LanguageList()->currentIndex(), 0);
}

struct SFormatCase {
    std::uint32_t stored;
    int dateIndex;
    int timeIndex;
};

class StoredFormat : public CSettingsTest, public ::testing::WithParamInterface<SFormatCase> {};

TEST_P(StoredFormat, SelectsTheListEntries) {
    StoreDTFormat(GetParam().stored);
    Start();
    CAppSettingsDlg dialog(m_app->AppSettings(), m_programPath, nullptr);
    EXPECT_EQ(Items(dialog.DateList()),
              (QStringList{"MM/dd/yyyy", "dd-MM-yyyy", "dd/MM/yyyy", "dd.MM.yyyy"}));
    EXPECT_EQ(Items(dialog.TimeList()), (QStringList{"h:mm tt", "h:mmt", "H:mm", "HH:mm"}));
    EXPECT_EQ(dialog.DateList()->currentIndex(), GetParam().dateIndex);
    EXPECT_EQ(dialog.TimeList()->currentIndex(), GetParam().timeIndex);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredFormat,
                         ::testing::Values(SFormatCase{0x0000, 0, 0}, SFormatCase{0x0203, 2, 3},
                                           SFormatCase{0x0502, 0, 2}, SFormatCase{0x0307, 3, 0},
                                           SFormatCase{0x01FF, 1, 0}),
                         [](const auto& info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "DTFormat%04X",
                                           static_cast<unsigned>(info.param.stored));
                             return std::string(name);
                         });

TEST_F(CSettingsTest, SampleCaptionShowsTheChosenPatterns) {
    Text::TCalendarTime t;
    t.year = 2013;
    t.month = 12;
    t.day = 24;
    t.hour = 17;
    t.minute = 5;
    EXPECT_EQ(CAppSettingsDlg::SampleCaption(3, 3, t), QStringLiteral("Date/Time format:  24.12.2013 17:05"));
    EXPECT_EQ(CAppSettingsDlg::SampleCaption(0, 0, t),
              QStringLiteral("Date/Time format:  12/24/2013 5:05 PM"));
    EXPECT_EQ(CAppSettingsDlg::SampleCaption(1, 1, t), QStringLiteral("Date/Time format:  24-12-2013 5:05P"));
}

TEST_F(CSettingsTest, ResetSelectsTheFirstEntriesAndStoresNothing) {
    WriteModule("Brelvantor_DEU.lng", "Deutsch", ProgramVersion());
    StoreDTFormat(0x0302);
    Start();
    CAppSettingsDlg dialog(m_app->AppSettings(), m_programPath, nullptr);
    dialog.LanguageList()->setCurrentIndex(1);
    dialog.findChild<QPushButton*>(QStringLiteral("reset"))->click();
    EXPECT_EQ(dialog.LanguageList()->currentIndex(), 0);
    EXPECT_EQ(dialog.DateList()->currentIndex(), 0);
    EXPECT_EQ(dialog.TimeList()->currentIndex(), 0);
    EXPECT_TRUE(dialog.SampleGroup()->title().startsWith(QStringLiteral("Date/Time format:  ")));
    EXPECT_EQ(m_app->AppSettings().DTFormat(), 0x0302u);
}

// A new date format is stored and the table shows its dates in it at once.
TEST_F(CSettingsTest, DateFormatChangeIsStoredAndShown) {
    const fs::path project = m_dir / "site.zvh";
    ASSERT_TRUE(GuiFixture::WriteProject(project, 1));
    CMainFrame& frame = Start({QString::fromStdString(project.string())});
    QAbstractItemModel* model = frame.View()->SeriesPage()->Table()->model();
    const QString before = model->index(0, 2).data().toString();
    RunSettings(frame, [](CAppSettingsDlg& dialog) {
        dialog.DateList()->setCurrentIndex(3);
        dialog.TimeList()->setCurrentIndex(3);
    });
    EXPECT_EQ(m_app->AppSettings().DTFormat(), 0x0303u);
    Settings::CSettingsStore store(m_dir / "brelvantor.settings");
    auto stored = store.ReadValue(u"Software\\Tolvex\\Brelvantor\\Settings", u"DTFormat");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->number, 0x0303u);
    const QString after = model->index(0, 2).data().toString();
    EXPECT_NE(after, before);
    EXPECT_TRUE(after.contains(QLatin1Char('.'))) << after.toStdString();
}

TEST_F(CSettingsTest, CancelChangesNothing) {
    CMainFrame& frame = Start();
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<CAppSettingsDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->DateList()->setCurrentIndex(2);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    frame.OnCommand(Cmd::kAppSettings);
    EXPECT_EQ(m_app->AppSettings().DTFormat(), 0u);
}

TEST_F(CSettingsTest, AboutBoxShowsTheVersionAndTheTextsSource) {
    WriteModule("Brelvantor_DEU.lng", "Deutsch", ProgramVersion());
    Start();
    const Text::CFileVersionInfo& program = Text::CFileVersionInfo::Program();
    const Text::TModuleVersion& v = program.ProductVersion();
    {
        CAboutDlg about(m_app->AppSettings(), nullptr);
        EXPECT_EQ(about.VersionLabel()->text(), QStringLiteral("%1.%2").arg(v.parts[0]).arg(v.parts[1]));
        EXPECT_EQ(about.ReleaseLabel()->text(), QString::number(v.parts[2]));
        EXPECT_EQ(about.BuildLabel()->text(), QString::number(v.parts[3]));
        EXPECT_EQ(about.DescriptionLabel()->text(),
                  QString::fromStdU16String(program.Get(u"FileDescription")) + QStringLiteral(" (64-bit)"));
        EXPECT_EQ(about.CommentsLabel()->text(), QString::fromStdU16String(program.Get(u"Comments")));
        EXPECT_EQ(about.CopyrightLabel()->text(), QString::fromStdU16String(program.Get(u"LegalCopyright")));
    }
    m_app->AppSettings().SetLanguageFile((m_dir / "bin" / "Brelvantor_DEU.lng").u16string());
    CAboutDlg about(m_app->AppSettings(), nullptr);
    EXPECT_EQ(about.CommentsLabel()->text(), QStringLiteral("Deutsche Oberfläche"));
    EXPECT_EQ(about.CopyrightLabel()->text(), QStringLiteral("(C) Tolvex DE"));
}

}  // namespace
