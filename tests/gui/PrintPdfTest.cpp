// brelvantor --print-pdf: the tabs printed to a PDF file without a dialog, as
// scripts call it, checked with the PDF tools a lab would use.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QRegularExpression>
#include <QString>
#include <fstream>
#include <future>
#include <sstream>

#include "GuiTestSupport.h"
#include "ProjectFixture.h"
#include "cli/ProcessSupport.h"

namespace {

using namespace GuiTest;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class PrintPdf : public CGuiTest {
  protected:
    CliTest::SRun Print(const std::vector<std::string>& args) {
        return CliTest::Run(BRELVANTOR_GUI_PROGRAM, args,
                            {{"QT_QPA_PLATFORM", "offscreen"},
                             {"BRELVANTOR_SETTINGS", (m_dir / "brelvantor.settings").string()}});
    }
    static int Pages(const fs::path& pdf) {
        const CliTest::SRun info = CliTest::Run("/usr/bin/pdfinfo", {pdf.string()});
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromStdString(info.out));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }
    // The text of every page, in order.
    static QStringList PageTexts(const fs::path& pdf) {
        const CliTest::SRun text = CliTest::Run("/usr/bin/pdftotext", {"-layout", pdf.string(), "-"});
        QStringList pages = QString::fromStdString(text.out).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
        return pages;
    }
    // A project of `count` series; the odd ones are out of the summary when asked.
    fs::path Project(const char* name, int count, bool oddOutOfSummary = false) {
        const fs::path file = m_dir / name;
        Text::CSilentPrompt silent;
        CHammerDoc doc(silent);
        doc.TakeOverDownload(GuiFixture::MakeSeries(count));
        if (oddOutOfSummary)
            for (int i = 1; i < count; i += 2) doc.WorkingData().SetUseInSummary(i, 0);
        EXPECT_TRUE(doc.SaveProject(file));
        doc.CloseProject();
        return file;
    }
};

// Every page carries the header and the footer; the rows are spread over the
// pages by height, each exactly once per column page, and the columns that do
// not fit continue on further pages, which repeat the impact counter.
TEST_F(PrintPdf, TheTableGoesOverPagesWithHeaderAndFooter) {
    const fs::path project = Project("site.zvh", 300);
    const fs::path pdf = m_dir / "table.pdf";
    const CliTest::SRun run = Print({"--print-pdf", pdf.string(), project.string()});
    ASSERT_EQ(0, run.exitCode) << run.err;
    const QStringList pages = PageTexts(pdf);
    const int total = Pages(pdf);
    ASSERT_EQ(total, pages.size());
    int firstColumnPages = 0;
    const QRegularExpression printed(QStringLiteral("site\\.zvh\\s+\\d\\d/\\d\\d/\\d{4} \\d{1,2}:\\d\\d [AP]M\\s+"));
    for (int p = 0; p < total; ++p) {
        const QString& text = pages[p];
        EXPECT_TRUE(text.contains(QStringLiteral("Tolvex"))) << p;
        EXPECT_TRUE(text.contains(QStringLiteral("Talvenbrecker measurement series"))) << p;
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Brelvantor Version \\d+\\.\\d+\\.\\d+\\.\\d+"))));
        EXPECT_TRUE(text.contains(printed)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(total))) << p;
        EXPECT_TRUE(text.contains(QStringLiteral("Impact counter"))) << p;
        if (text.contains(QStringLiteral("Mean value"))) ++firstColumnPages;
    }
    ASSERT_GT(firstColumnPages, 1);
    ASSERT_EQ(0, total % firstColumnPages);
    const int columnPages = total / firstColumnPages;
    EXPECT_GE(columnPages, 2);  // the table is wider than a portrait page
    const QString all = pages.join(QLatin1Char('\n'));
    for (int counter : {1000, 1001, 1150, 1299})
        EXPECT_EQ(columnPages, all.count(QRegularExpression(QStringLiteral("\\b%1\\b").arg(counter)))) << counter;
}

// A column wider than the page (a long name) goes on over the next pages
// instead of being cut off at the first one's edge; the first page is not left
// with the impact counter alone.
TEST_F(PrintPdf, AColumnWiderThanThePageGoesOnOverTheNextPages) {
    const fs::path project = m_dir / "long.zvh";
    QString name;
    for (int i = 0; i < 30; ++i) name += QStringLiteral("part%1 ").arg(i, 2, 10, QLatin1Char('0'));
    {
        Text::CSilentPrompt silent;
        CHammerDoc doc(silent);
        doc.TakeOverDownload(GuiFixture::MakeSeries(2));
        doc.WorkingData().SetName(0, name.trimmed().toStdU16String());
        ASSERT_TRUE(doc.SaveProject(project));
    }
    const fs::path pdf = m_dir / "long.pdf";
    const CliTest::SRun run = Print({"--print-pdf", pdf.string(), project.string()});
    ASSERT_EQ(0, run.exitCode) << run.err;
    const QStringList pages = PageTexts(pdf);
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("part00"))) << pages[0].toStdString();
    const QString all = pages.join(QLatin1Char('\n'));
    for (int i : {0, 14, 29}) {
        const QString part = QStringLiteral("part%1").arg(i, 2, 10, QLatin1Char('0'));
        EXPECT_TRUE(all.contains(part)) << part.toStdString();
    }
    // Nothing after the long name is lost either.
    EXPECT_TRUE(all.contains(QStringLiteral("Mean value")));
    EXPECT_TRUE(all.contains(QStringLiteral("Carbonation factor")));
}

// Without a user nothing is selected: --selection prints the series that are
// in the summary. The summary tab prints too.
TEST_F(PrintPdf, TheSelectionAndTheSummaryPrint) {
    const fs::path project = Project("site.zvh", 6, true);
    struct SCase {
        std::vector<std::string> more;
        std::vector<int> shown;
        std::vector<int> absent;
    };
    const SCase cases[] = {
        {{}, {1000, 1001, 1004, 1005}, {}},
        {{"--selection"}, {1000, 1002, 1004}, {1001, 1003, 1005}},
        {{"--tab", "series", "--selection"}, {1000, 1002, 1004}, {1001, 1003, 1005}},
    };
    for (const SCase& c : cases) {
        const fs::path pdf = m_dir / "out.pdf";
        std::vector<std::string> args{"--print-pdf", pdf.string()};
        args.insert(args.end(), c.more.begin(), c.more.end());
        args.push_back(project.string());
        const CliTest::SRun run = Print(args);
        ASSERT_EQ(0, run.exitCode) << run.err;
        const QString all = PageTexts(pdf).join(QLatin1Char('\n'));
        for (int counter : c.shown) EXPECT_TRUE(all.contains(QString::number(counter))) << counter;
        for (int counter : c.absent) EXPECT_FALSE(all.contains(QString::number(counter))) << counter;
    }
    const fs::path summary = m_dir / "summary.pdf";
    const CliTest::SRun run = Print({"--print-pdf", summary.string(), "--tab", "summary", project.string()});
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_GE(Pages(summary), 1);
}

// What cannot be printed is said, with a non-zero exit, and leaves no PDF
// (and an existing file as it was).
TEST_F(PrintPdf, FailuresExitWithAReasonAndWriteNothing) {
    const fs::path project = Project("site.zvh", 3);
    const fs::path empty = Project("empty.zvh", 0);
    const fs::path none = m_dir / "none-in-summary.zvh";
    {
        Text::CSilentPrompt silent;
        CHammerDoc doc(silent);
        doc.TakeOverDownload(GuiFixture::MakeSeries(2));
        doc.WorkingData().SetUseInSummaryAll(0);
        ASSERT_TRUE(doc.SaveProject(none));
    }
    std::ofstream(m_dir / "garbage.zvh") << "no project at all";
    std::ofstream(m_dir / "handed-in.pdf") << "signed off";
    fs::permissions(m_dir / "handed-in.pdf", fs::perms::owner_read | fs::perms::group_read);
    fs::create_directories(m_dir / "folder");
    const std::string projectBytes = ReadAll(project);
    struct SCase {
        std::vector<std::string> args;
        int exit;
        const char* message;
        const char* output;  // must not come into being (or change)
    };
    const std::string out = (m_dir / "out.pdf").string();
    const SCase cases[] = {
        {{"--print-pdf", out, (m_dir / "garbage.zvh").string()}, 1, "cannot be read", "out.pdf"},
        {{"--print-pdf", out, (m_dir / "missing.zvh").string()}, 1, "cannot be read", "out.pdf"},
        {{"--print-pdf", (m_dir / "no-folder" / "x.pdf").string(), project.string()}, 1, "No such file", nullptr},
        {{"--print-pdf", (m_dir / "folder").string(), project.string()}, 1, "Is a directory", nullptr},
        {{"--print-pdf", (m_dir / "handed-in.pdf").string(), project.string()}, 1, "Permission denied", nullptr},
        {{"--print-pdf", project.string(), project.string()}, 2, "same file", nullptr},
        {{"--print-pdf", out, empty.string()}, 3, "holds no series", "out.pdf"},
        {{"--print-pdf", out, "--tab", "summary", none.string()}, 3, "in the summary", "out.pdf"},
        // The selection stands for the series of the summary: none, nothing to print.
        {{"--print-pdf", out, "--selection", none.string()}, 3, "in the summary", "out.pdf"},
        {{"--print-pdf"}, 2, "needs a file name", nullptr},
        {{"--selection", project.string()}, 2, "--print-pdf", nullptr},
    };
    for (const SCase& c : cases) {
        const CliTest::SRun run = Print(c.args);
        EXPECT_EQ(c.exit, run.exitCode) << c.message << "\n" << run.err;
        EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
        if (c.output) {
            EXPECT_FALSE(fs::exists(m_dir / c.output)) << c.message;
        }
    }
    EXPECT_EQ(projectBytes, ReadAll(project));
    EXPECT_EQ("signed off", ReadAll(m_dir / "handed-in.pdf"));
    for (const auto& entry : fs::directory_iterator(m_dir))
        EXPECT_NE('.', entry.path().filename().string()[0]) << entry.path();  // no hidden half PDF
}

// A device or a FIFO is written into, never renamed over; an existing PDF is
// replaced whole.
TEST_F(PrintPdf, DevicesAndPipesAreWrittenIntoAndFilesReplaced) {
    const fs::path project = Project("site.zvh", 3);
    const fs::path device = m_dir / "null";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_EQ(0, Print({"--print-pdf", device.string(), project.string()}).exitCode);
        EXPECT_TRUE(fs::is_character_file(device));
    }
    const fs::path fifo = m_dir / "pipe";
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
    auto reader = std::async(std::launch::async, [&] { return ReadAll(fifo); });
    EXPECT_EQ(0, Print({"--print-pdf", fifo.string(), project.string()}).exitCode);
    const std::string piped = reader.get();
    EXPECT_EQ(0u, piped.rfind("%PDF", 0));
    EXPECT_NE(std::string::npos, piped.find("%%EOF"));
    EXPECT_TRUE(fs::is_fifo(fifo));

    const fs::path pdf = m_dir / "report.pdf";
    std::ofstream(pdf) << "last week's report";
    ASSERT_EQ(0, Print({"--print-pdf", pdf.string(), project.string()}).exitCode);
    EXPECT_EQ(0u, ReadAll(pdf).rfind("%PDF", 0));
    EXPECT_EQ(2, Pages(pdf));  // three rows, two pages of columns
}

}  // namespace
