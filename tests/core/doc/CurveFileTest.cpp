// Curve files and the local curve library.
#include <gtest/gtest.h>
#include <unistd.h>

#include "DocTestSupport.h"
#include "doc/CurveFile.h"
#include "doc/CurveLibrary.h"
#include "doc/DocStrings.h"

using namespace DocTest;

namespace {

// Sets or removes an environment variable for one scope.
class CEnvScope {
  public:
    CEnvScope(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~CEnvScope() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::set<fs::path> Listing(const fs::path& folder) {
    std::set<fs::path> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename());
    return names;
}

}  // namespace

class CurveFiles : public DocFixture {
  protected:
    CScriptedPrompt prompt;
};

TEST_F(CurveFiles, EveryFormatVersionIsRead) {
    struct TCase {
        const char* file;
        std::uint8_t qMin, qMax, kind;
        float a, b, c, d;
        const char* name;
        std::uint8_t flags;
    };
    const TCase cases[] = {
        {"curve_v2.zvc", 15, 65, 0, 0.001f, 0.02f, 0.5f, 2.0f, "Curve10chr", 0x49},
        {"curve_v1.zvc", 10, 50, 0, 0.0f, 0.03f, 0.4f, -1.5f, "OLD1", 9},  // b, c, d; a = 0
        {"curve_v0.zvc", 5, 40, 0, 0.0f, 0.0f, 0.0f, 0.0f, "ANCIENT", 10},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.file);
        const auto curve = Doc::ReadCurveFile(FixturePath(c.file));
        ASSERT_TRUE(curve);
        EXPECT_EQ(curve->Tag, 0);
        EXPECT_EQ(curve->Id, 0);
        EXPECT_EQ(curve->QMin, c.qMin);
        EXPECT_EQ(curve->QMax, c.qMax);
        EXPECT_EQ(curve->Kind, c.kind);
        // TConvCust is packed: its floats may sit at any address, so compare
        // copies (unary +) rather than binding references to them.
        EXPECT_EQ(+curve->A, c.a);
        EXPECT_EQ(+curve->B, c.b);
        EXPECT_EQ(+curve->C, c.c);
        EXPECT_EQ(+curve->D, c.d);
        EXPECT_EQ(curve->Name8(), c.name);
        EXPECT_EQ(curve->Flags, c.flags);
        EXPECT_EQ(+curve->OnDevice, 0);
    }
}

TEST_F(CurveFiles, Version2IsWrittenByteForByte) {
    Doc::CCurveLibrary library(prompt);
    TConvCust curve = *Doc::ReadCurveFile(FixturePath("curve_v2.zvc"));
    curve.Tag = 3;
    curve.Id = 77;  // neither is stored in the file
    ASSERT_TRUE(library.SaveCurveFile(curve));
    EXPECT_TRUE(prompt.shown.empty());
    Bytes written = ReadFile(m_curves / "Curve10chr.zvc");
    const Bytes fixture = ReadFile(FixturePath("curve_v2.zvc"));
    ASSERT_EQ(written.size(), 112u);                                              // a 10-character name
    std::copy(fixture.begin() + 59, fixture.begin() + 67, written.begin() + 59);  // program version
    EXPECT_EQ(written, fixture);
    ASSERT_EQ(library.Count(), 1);
    EXPECT_TRUE(library.Curves()[0].IsEqualCurve(curve));
}

TEST_F(CurveFiles, LibraryTakesOnlyReadableLowerCaseZvcFiles) {
    fs::create_directories(m_curves / "folder.zvc");
    fs::copy_file(FixturePath("curve_v2.zvc"), m_curves / "a.zvc");
    fs::copy_file(FixturePath("curve_v1.zvc"), m_curves / "A.ZVC");
    fs::copy_file(FixturePath("curve_v0.zvc"), m_curves / "b.Zvc");
    fs::copy_file(FixturePath("curve_v0.zvc"), m_curves / "c.zvc.txt");
    fs::copy_file(FixturePath("project_v3.zvh"), m_curves / "project.zvc");  // another first string
    Bytes cut = ReadFile(FixturePath("curve_v2.zvc"));
    cut.pop_back();  // no flags byte
    WriteFile(m_curves / "short.zvc", cut);
    ASSERT_EQ(::mkfifo((m_curves / "pipe.zvc").c_str(), 0600), 0);  // would block a reader

    Doc::CCurveLibrary library(prompt);
    EXPECT_EQ(library.Load(), 1);
    EXPECT_EQ(library.Curves()[0].Name8(), "Curve10chr");
    EXPECT_EQ(library.FileOf(0), m_curves / "a.zvc");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(CurveFiles, CurvesOfOneNameShareAFile) {
    Doc::CCurveLibrary library(prompt);
    ASSERT_TRUE(library.SaveCurveFile(MakeCurve("SAME", 1.0f)));
    ASSERT_TRUE(library.SaveCurveFile(MakeCurve("SAME", 2.0f)));
    ASSERT_EQ(library.Count(), 1);
    EXPECT_EQ(+library.Curves()[0].C, 2.0f);
    EXPECT_EQ(Listing(m_curves), std::set<fs::path>{"SAME.zvc"});  // no temporary file left
}

TEST_F(CurveFiles, ListsShowTheCurvesByName) {
    Doc::CCurveLibrary library(prompt);
    for (const char* name : {"b", "\xE9t\xE9", "B", "a 2", "a"}) ASSERT_TRUE(library.SaveCurveFile(MakeCurve(name, 1.0f)));
    std::vector<std::string> names;
    for (int position : library.PositionsByName())
        names.push_back(library.Curves()[static_cast<std::size_t>(position)].Name8());
    EXPECT_EQ(names, (std::vector<std::string>{"B", "a", "a 2", "b", "\xE9t\xE9"}));
}

TEST_F(CurveFiles, DeleteRemovesTheFileTheCurveCameFrom) {
    Doc::CCurveLibrary library(prompt);
    fs::create_directories(m_curves);
    fs::copy_file(FixturePath("curve_v1.zvc"), m_curves / "renamed by hand.zvc");
    ASSERT_TRUE(library.SaveCurveFile(MakeCurve("KEEP", 1.0f)));
    ASSERT_EQ(library.Count(), 2);
    const int old = library.Curves()[0].Name8() == "OLD1" ? 0 : 1;

    EXPECT_TRUE(library.DeleteCurveFile(old));
    EXPECT_EQ(library.Count(), 1);
    EXPECT_EQ(library.Curves()[0].Name8(), "KEEP");
    EXPECT_FALSE(library.DeleteCurveFile(5));

    fs::remove(m_curves / "KEEP.zvc");  // gone behind the library's back
    EXPECT_TRUE(library.DeleteCurveFile(0));
    EXPECT_EQ(library.Count(), 0);
}

TEST_F(CurveFiles, NamesBecomeSafeFileNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"PLAIN_#%-", "PLAIN_#%-.zvc"},
        {"a.b", "a.b.zvc"},
        {"a..b", "a__b.zvc"},
        {"..", "__.zvc"},
        {"../x", "___x.zvc"},
        {"a/b\\c", "a_b_c.zvc"},
        {".hidden", "_hidden.zvc"},
        {"x\x01y\x7f", "x_y_.zvc"},
        {"", "_.zvc"},
        {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9.zvc"},  // Windows-1252 name, UTF-8 file name
        {"\x81", "_.zvc"},                       // no character in Windows-1252
    };
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        TConvCust c;
        c.SetName8(name);
        EXPECT_EQ(Doc::CurveFileName(c), file);
    }

    // Whatever the name, the file lands inside the library folder.
    fs::create_directories(m_curves);
    const std::set<fs::path> around = Listing(m_dir);
    Doc::CCurveLibrary library(prompt);
    ASSERT_TRUE(library.SaveCurveFile(MakeCurve("../../x", 1.0f)));
    EXPECT_EQ(Listing(m_dir), around);
    EXPECT_EQ(Listing(m_curves), std::set<fs::path>{"______x.zvc"});
    ASSERT_EQ(library.Count(), 1);
    EXPECT_EQ(library.Curves()[0].Name8(), "../../x");  // the name itself is kept
}

TEST_F(CurveFiles, FailedSavesAreShownAndReported) {
    // The folder cannot be created: its parent is a plain file.
    WriteFile(PathOf("plain"), Bytes{1});
    {
        CEnvScope env("BRELVANTOR_CURVES", (m_dir / "plain" / "curves").string());
        Doc::CCurveLibrary library(prompt);
        EXPECT_FALSE(library.SaveCurveFile(MakeCurve("LOST", 1.0f)));
        EXPECT_EQ(prompt.ShownIds(),
                  (std::vector<unsigned>{Doc::kIdCurveFolderFailed, Doc::kIdCurveFileFailed}));
        EXPECT_EQ(library.Count(), 0);
    }
    // The file cannot replace what has its name: a folder.
    prompt.shown.clear();
    fs::create_directories(m_curves / "BLOCKED.zvc" / "inside");
    Doc::CCurveLibrary library(prompt);
    EXPECT_FALSE(library.SaveCurveFile(MakeCurve("BLOCKED", 1.0f)));
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdCurveFileFailed});
    EXPECT_TRUE(fs::is_directory(m_curves / "BLOCKED.zvc" / "inside"));
    EXPECT_EQ(Listing(m_curves), std::set<fs::path>{"BLOCKED.zvc"});
}

TEST_F(CurveFiles, AddCustomCurveEntersStoreAndLibrary) {
    Doc::CCurveLibrary library(prompt);
    const TConvCust curve = MakeCurve("NEWONE", 1.5f);
    EXPECT_EQ(library.AddCustomCurve(curve, 52), 52);
    EXPECT_TRUE(CCurveStore::Instance().HasCurve(52));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(fs::exists(m_curves / "NEWONE.zvc"));
    ASSERT_EQ(library.Count(), 1);

    // Already in the library: not written again.
    fs::remove(m_curves / "NEWONE.zvc");
    EXPECT_EQ(library.AddCustomCurve(curve, 60), 52);  // the equal curve keeps its identifier
    EXPECT_FALSE(fs::exists(m_curves / "NEWONE.zvc"));

    // A different curve of the same name arriving with a project never replaces
    // the user's own curve file.
    ASSERT_TRUE(library.SaveCurveFile(MakeCurve("MINE", 1.0f)));
    const Bytes mine = ReadFile(m_curves / "MINE.zvc");
    EXPECT_EQ(library.AddCustomCurve(MakeCurve("MINE", 3.0f), 50), 50);
    EXPECT_EQ(ReadFile(m_curves / "MINE.zvc"), mine);
    EXPECT_TRUE(fs::exists(m_curves / "MINE~2.zvc"));
    EXPECT_EQ(library.Count(), 2);  // the two MINE curves (NEWONE's file was removed above)

    // The store is full: nothing is stored or saved.
    for (int id = 50; id <= 251; ++id)
        CCurveStore::Instance().AddCurve(MakeCurve("F", static_cast<float>(id)), id);
    EXPECT_EQ(library.AddCustomCurve(MakeCurve("NOROOM", 9.0f), 50), -1);
    EXPECT_FALSE(fs::exists(m_curves / "NOROOM.zvc"));
}

TEST_F(CurveFiles, FolderChoice) {
    const fs::path portable = m_dir / "portable";
    fs::create_directories(portable);
    const fs::path xdg = m_dir / "xdg";
    struct TCase {
        const char* what;
        std::optional<std::string> env;
        fs::path program;
        std::optional<std::string> xdgHome;
        fs::path expected;
    };
    const TCase cases[] = {
        {"the variable wins", (m_dir / "env").string(), portable / "brelvantor", xdg.string(), m_dir / "env"},
        {"beside a program in a writable folder", std::nullopt, portable / "brelvantor", xdg.string(),
         portable / "CustomCurves"},
        {"an installed program: the user's data folder", std::nullopt, m_dir / "missing" / "brelvantor",
         xdg.string(), xdg / "Tolvex" / "Brelvantor" / "CustomCurves"},
        {"no program path", std::nullopt, fs::path(), xdg.string(),
         xdg / "Tolvex" / "Brelvantor" / "CustomCurves"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        CEnvScope env("BRELVANTOR_CURVES", c.env);
        CEnvScope data("XDG_DATA_HOME", c.xdgHome);
        Doc::CCurveLibrary::SetProgramPath(c.program);
        EXPECT_EQ(Doc::CCurveLibrary::CurveFolder(), c.expected);
        EXPECT_TRUE(fs::is_directory(c.expected));
    }
    {
        CEnvScope env("BRELVANTOR_CURVES", std::nullopt);
        CEnvScope data("XDG_DATA_HOME", std::nullopt);
        CEnvScope home("HOME", (m_dir / "home").string());
        Doc::CCurveLibrary::SetProgramPath(fs::path());
        EXPECT_EQ(Doc::CCurveLibrary::CurveFolder(),
                  m_dir / "home" / ".local" / "share" / "Tolvex" / "Brelvantor" / "CustomCurves");
    }
    Doc::CCurveLibrary::SetProgramPath(fs::path());
}

TEST_F(CurveFiles, CurvesArrivingWithAProjectStayInsideTheLibrary) {
    // A project whose curve is named to climb out of the folder.
    CBytes project = ProjectHeader(3);
    project.D(0).D(1).D(0).B(0).D(0).D(1);
    project.B(3).D(50).B(0).B(20).B(60).F(0).F(0).F(1.0f).F(0).S(u"../../../e").B(9).D(0);
    CHammerDoc doc(prompt);
    fs::create_directories(m_curves);
    WriteFile(PathOf("p.zvh"), {});
    const std::set<fs::path> around = Listing(m_dir);
    ASSERT_TRUE(LoadBytes(doc, project.Data(), PathOf("p.zvh")));
    EXPECT_EQ(Listing(m_dir), around);
    ASSERT_EQ(doc.CurveLibrary().size(), 1u);
    EXPECT_EQ(doc.CurveLibrary()[0].Name8(), "../../../e");
    EXPECT_TRUE(fs::exists(m_curves / Doc::CurveFileName(doc.CurveLibrary()[0])));
}
