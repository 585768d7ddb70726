// Saving never loses the old file, never hides a failure, and a file that was
// not read completely never becomes the target of a save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <future>
#include <set>

#include "DocTestSupport.h"
#include "doc/DocStrings.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

using namespace DocTest;
using Text::MsgResult;

namespace {

std::set<fs::path> Listing(const fs::path& folder) {
    std::set<fs::path> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename());
    return names;
}

// Gives the new message a text so that its filling can be checked.
class CSaveTextScope {
  public:
    CSaveTextScope() {
        Text::SetLanguageOverrides(std::make_shared<Text::LanguageTexts>(
            Text::LanguageTexts{{Doc::kIdProjectSaveFailed, u"Could not save \"%s\": %s"}}));
    }
    ~CSaveTextScope() { Text::SetLanguageOverrides(nullptr); }
};

}  // namespace

class Saving : public DocFixture {
  protected:
    CScriptedPrompt prompt;
    CHammerDoc doc{prompt};

    void SetUp() override {
        DocFixture::SetUp();
        doc.WorkingData().AppendSeries(MakeSeries({30, 31}));
        doc.SetModified();
    }
};

TEST_F(Saving, ReplacesTheFileAndKeepsItsPermissions) {
    const fs::path target = PathOf("site.zvh");
    WriteFile(target, Bytes{'o', 'l', 'd'});
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(doc.SaveProject(target));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_GT(fs::file_size(target), 100u);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(Listing(m_dir), (std::set<fs::path>{"site.zvh"}));

    // Through a symbolic link: the link stays, its target gets the data.
    fs::create_symlink(target, PathOf("link.zvh"));
    doc.WorkingData().AppendSeries(MakeSeries({40}));
    ASSERT_TRUE(doc.SaveProject(PathOf("link.zvh")));
    EXPECT_TRUE(fs::is_symlink(PathOf("link.zvh")));
    CScriptedPrompt p;
    CHammerDoc loaded(p);
    ASSERT_TRUE(loaded.OpenProject(target));
    EXPECT_EQ(loaded.WorkingData().GetCount(), 2);
}

TEST_F(Saving, FailuresAreShownAndChangeNothing) {
    CSaveTextScope text;
    WriteFile(PathOf("plain"), Bytes{'x'});
    fs::create_directories(PathOf("folder") / "inside");
    fs::create_directories(PathOf("readonly"));
    WriteFile(PathOf("readonly") / "site.zvh", Bytes{'o', 'l', 'd'});
    ::chmod(PathOf("readonly").c_str(), 0555);

    struct TCase {
        const char* what;
        fs::path target;
        bool needsUnprivileged;
    };
    WriteFile(PathOf("handed-in.zvh"), Bytes{'o', 'l', 'd'});
    ::chmod(PathOf("handed-in.zvh").c_str(), 0444);
    const TCase cases[] = {
        {"the parent is a plain file", PathOf("plain") / "site.zvh", false},
        {"the target is a folder", PathOf("folder"), false},
        {"a read-only folder", PathOf("readonly") / "site.zvh", true},
        // A rename would replace it in a writable folder; its mode says no.
        {"a read-only file", PathOf("handed-in.zvh"), false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsUnprivileged && ::geteuid() == 0) continue;  // root writes anyway
        prompt.shown.clear();
        const std::set<fs::path> before = Listing(m_dir);
        EXPECT_FALSE(doc.SaveProject(c.target));
        EXPECT_TRUE(doc.IsModified());
        ASSERT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdProjectSaveFailed});
        const Text::SMessage& msg = prompt.shown[0];
        EXPECT_EQ(msg.icon, Text::MsgIcon::Error);
        EXPECT_EQ(msg.captionId, Doc::kIdErrorCaption);
        const std::u16string prefix = u"Could not save \"" + Text::FromUtf8(c.target.string()) + u"\": ";
        EXPECT_EQ(msg.text.substr(0, prefix.size()), prefix);
        EXPECT_GT(msg.text.size(), prefix.size());  // the system's reason follows
        EXPECT_EQ(Listing(m_dir), before);
    }
    EXPECT_EQ(ReadFile(PathOf("plain")), Bytes{'x'});
    EXPECT_TRUE(fs::is_directory(PathOf("folder") / "inside"));
    EXPECT_EQ(ReadFile(PathOf("readonly") / "site.zvh"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(Listing(PathOf("readonly")), std::set<fs::path>{"site.zvh"});
    EXPECT_EQ(ReadFile(PathOf("handed-in.zvh")), (Bytes{'o', 'l', 'd'}));
}

TEST_F(Saving, AFifoOrDeviceGetsTheProjectAndStaysWhatItIs) {
    CSaveTextScope text;
    const fs::path fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return ReadFile(fifo); });
    ASSERT_TRUE(doc.SaveProject(fifo)) << (prompt.shown.empty() ? std::string() : Text::ToUtf8(prompt.shown[0].text));
    const Bytes piped = reader.get();
    EXPECT_TRUE(fs::is_fifo(fifo));
    ASSERT_TRUE(doc.SaveProject(PathOf("plain.zvh")));
    EXPECT_EQ(piped, ReadFile(PathOf("plain.zvh")));

    const fs::path device = PathOf("null");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) return;
    EXPECT_TRUE(doc.SaveProject(device));
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_EQ(Listing(m_dir), (std::set<fs::path>{"pipe", "plain.zvh", "null"}));
}

TEST_F(Saving, ADataErrorHalfwayKeepsTheOldFile) {
    const fs::path target = PathOf("site.zvh");
    ASSERT_TRUE(doc.SaveProject(target));
    const Bytes old = ReadFile(target);
    doc.WorkingData().SetName(0, std::u16string(70000, u'x'));  // more than a string can hold
    EXPECT_FALSE(doc.SaveProject(target));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdProjectSaveFailed});
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(Listing(m_dir), std::set<fs::path>{"site.zvh"});
}

TEST_F(Saving, SaveAsTakesThePathOnlyWhenTheSaveWorked) {
    WriteFile(PathOf("plain"), Bytes{'x'});
    prompt.files = {PathOf("plain") / "new.zvh"};
    EXPECT_FALSE(doc.SaveAs());
    EXPECT_TRUE(doc.GetPath().empty());
    prompt.files = {PathOf("new.zvh")};
    EXPECT_TRUE(doc.SaveAs());
    EXPECT_EQ(doc.GetPath(), PathOf("new.zvh"));
    EXPECT_FALSE(doc.IsModified());
    prompt.files = {std::nullopt};
    EXPECT_FALSE(doc.SaveAs());  // cancelled
}

TEST_F(Saving, CloseKeepsTheProjectWhenTheRequestedSaveFails) {
    WriteFile(PathOf("plain"), Bytes{'x'});
    prompt.answers = {MsgResult::Yes};
    prompt.files = {PathOf("plain") / "new.zvh"};
    EXPECT_FALSE(doc.CloseProject());
    EXPECT_EQ(prompt.ShownIds(), (std::vector<unsigned>{Doc::kIdSaveChanges, Doc::kIdProjectSaveFailed}));
    EXPECT_EQ(doc.WorkingData().GetCount(), 1);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(Saving, AFileThatFailedToLoadIsNeverSavedOver) {
    ASSERT_TRUE(doc.SaveProject(PathOf("full.zvh")));
    Bytes cut = ReadFile(PathOf("full.zvh"));
    cut.resize(cut.size() - 3);  // into the curve count
    WriteFile(PathOf("cut.zvh"), cut);

    prompt.shown.clear();
    EXPECT_FALSE(doc.OpenProject(PathOf("cut.zvh")));
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdReadError});
    EXPECT_EQ(doc.WorkingData().GetCount(), 1);  // what was read is shown
    EXPECT_TRUE(doc.GetPath().empty());
    doc.SetModified();
    prompt.files = {std::nullopt};
    EXPECT_FALSE(doc.Save());  // asks for a file instead of overwriting cut.zvh
    EXPECT_TRUE(prompt.files.empty());
    EXPECT_EQ(ReadFile(PathOf("cut.zvh")), cut);
}
