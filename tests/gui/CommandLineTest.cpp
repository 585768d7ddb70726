// The program's arguments: "-Energy" anywhere, the project, the picture switches.
#include <QTableView>

#include "GuiTestSupport.h"
#include "ProjectFixture.h"
#include "views/ChildView.h"
#include "ui/grid/GridView.h"
#include "views/TabGrid.h"

namespace {

using namespace GuiTest;

struct SParseCase {
    const char* name;
    QStringList arguments;
    bool energy;
    const char* project;  // nullptr: none
    const char* screenshot;
    int tab;
    bool error;
};

const SParseCase kParseCases[] = {
    {"EnergyThenFile", {"-Energy", "site.zvh"}, true, "site.zvh", nullptr, 0, false},
    {"FileThenEnergy", {"site.zvh", "-ENERGY"}, true, "site.zvh", nullptr, 0, false},
    {"EnergyAlone", {"-energy"}, true, nullptr, nullptr, 0, false},
    {"Nothing", {}, false, nullptr, nullptr, 0, false},
    {"FileAlone", {"site.zvh"}, false, "site.zvh", nullptr, 0, false},
    {"SecondFileIgnored", {"a.zvh", "b.zvh"}, false, "a.zvh", nullptr, 0, false},
    {"EnergyTwiceIsNeverAFile", {"-Energy", "-Energy", "x.zvh"}, true, "x.zvh", nullptr, 0, false},
    {"NotTheEnergySwitch", {"-Energies"}, false, "-Energies", nullptr, 0, false},
    {"Screenshot", {"--screenshot", "w.png", "--tab", "summary", "p.zvh"}, false, "p.zvh", "w.png", 1, false},
    {"ScreenshotWithoutFile", {"--screenshot"}, false, nullptr, nullptr, 0, true},
    {"UnknownTab", {"--tab", "diagram"}, false, nullptr, nullptr, 0, true},
};

class CommandLineParse : public ::testing::TestWithParam<SParseCase> {};

TEST(CommandLineLog, TakesTheLogFileAndNeedsOne) {
    const CCommandLine line = CCommandLine::Parse({"--log", "hammer.log", "site.zvh"});
    EXPECT_TRUE(line.Error().isEmpty());
    ASSERT_TRUE(line.Log().has_value());
    EXPECT_EQ(*line.Log(), QStringLiteral("hammer.log"));
    EXPECT_EQ(*line.Project(), QStringLiteral("site.zvh"));
    EXPECT_FALSE(CCommandLine::Parse({"--log"}).Error().isEmpty());
}

TEST_P(CommandLineParse, FindsSwitchesAndProject) {
    const SParseCase& c = GetParam();
    const CCommandLine line = CCommandLine::Parse(c.arguments);
    EXPECT_EQ(!line.Error().isEmpty(), c.error);
    if (c.error) return;
    EXPECT_EQ(line.Energy(), c.energy);
    EXPECT_EQ(line.Project().has_value(), c.project != nullptr);
    if (c.project) {
        EXPECT_EQ(*line.Project(), QString::fromLatin1(c.project));
    }
    EXPECT_EQ(line.Screenshot().has_value(), c.screenshot != nullptr);
    if (c.screenshot) {
        EXPECT_EQ(*line.Screenshot(), QString::fromLatin1(c.screenshot));
    }
    EXPECT_EQ(line.ScreenshotTab(), c.tab);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineParse, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SPrintCase {
    const char* name;
    QStringList arguments;
    const char* pdf;  // nullptr: the arguments are refused
    int tab;
    bool selection;
};

const SPrintCase kPrintCases[] = {
    {"SeriesTab", {"--print-pdf", "out.pdf", "p.zvh"}, "out.pdf", 0, false},
    {"SummaryTabAfterTheFile", {"p.zvh", "--print-pdf", "out.pdf", "--tab", "summary"}, "out.pdf", 1, false},
    {"Selection", {"--selection", "--print-pdf", "out.pdf", "p.zvh"}, "out.pdf", 0, true},
    {"WithoutFile", {"p.zvh", "--print-pdf"}, nullptr, 0, false},
    {"EmptyFile", {"--print-pdf", "", "p.zvh"}, nullptr, 0, false},
    {"SwitchTakenForTheFile", {"--print-pdf", "--tab", "summary", "p.zvh"}, nullptr, 0, false},
    {"SelectionWithoutPrint", {"--selection", "p.zvh"}, nullptr, 0, false},
    {"WithScreenshot", {"--print-pdf", "out.pdf", "--screenshot", "w.png", "p.zvh"}, nullptr, 0, false},
};

class CommandLinePrint : public ::testing::TestWithParam<SPrintCase> {};

TEST_P(CommandLinePrint, TakesThePdfTheTabAndTheSelection) {
    const SPrintCase& c = GetParam();
    const CCommandLine line = CCommandLine::Parse(c.arguments);
    if (!c.pdf) {
        EXPECT_FALSE(line.Error().isEmpty());
        return;
    }
    ASSERT_TRUE(line.Error().isEmpty()) << line.Error().toStdString();
    ASSERT_TRUE(line.PrintPdf().has_value());
    EXPECT_EQ(*line.PrintPdf(), QString::fromLatin1(c.pdf));
    EXPECT_EQ(line.ScreenshotTab(), c.tab);
    EXPECT_EQ(line.PrintSelection(), c.selection);
    EXPECT_EQ(*line.Project(), QStringLiteral("p.zvh"));
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLinePrint, ::testing::ValuesIn(kPrintCases),
                         [](const auto& info) { return std::string(info.param.name); });

class CommandLineStart : public CGuiTest, public ::testing::WithParamInterface<bool> {};

// "-Energy" before or after the file: the file opens with the energy column.
TEST_P(CommandLineStart, OpensTheProjectWithTheEnergyColumn) {
    const fs::path project = m_dir / "site.zvh";
    ASSERT_TRUE(GuiFixture::WriteProject(project, 2));
    const QString file = QString::fromStdString(project.string());
    CMainFrame& frame = Start(GetParam() ? QStringList{"-Energy", file} : QStringList{file, "-Energy"});
    EXPECT_EQ(frame.Doc().GetPath(), project);
    EXPECT_TRUE(frame.Doc().IsEnergyDisplay());
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 2);
    EXPECT_FALSE(frame.Doc().IsModified());
    EXPECT_EQ(frame.View()->SeriesPage()->Table()->model()->columnCount(), 13);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("TOLVEX BRELVANTOR - ") + file);
    EXPECT_TRUE(m_prompt.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Order, CommandLineStart, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "EnergyFirst" : "FileFirst");
});

TEST_F(CGuiTest, EnergyAloneOpensNothing) {
    CMainFrame& frame = Start({"-Energy"});
    EXPECT_TRUE(frame.Doc().GetPath().empty());
    EXPECT_TRUE(frame.Doc().IsEnergyDisplay());
    EXPECT_TRUE(m_prompt.shown.empty());
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("TOLVEX BRELVANTOR"));
}

TEST_F(CGuiTest, WithoutEnergyTheTableHasTwelveColumns) {
    CMainFrame& frame = Start();
    EXPECT_FALSE(frame.Doc().IsEnergyDisplay());
    EXPECT_EQ(frame.View()->SeriesPage()->Table()->model()->columnCount(), 12);
}

// A project that cannot be read is reported and never becomes the document's file.
TEST_F(CGuiTest, UnreadableProjectIsReportedAndNotKept) {
    const fs::path broken = m_dir / "broken.zvh";
    WriteFile(broken, "this is no project");
    CMainFrame& frame = Start({QString::fromStdString(broken.string())});
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59396}));
    EXPECT_TRUE(frame.Doc().GetPath().empty());
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("TOLVEX BRELVANTOR"));
}

}  // namespace
