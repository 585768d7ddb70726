// The texts the program brings along for ids the string table does not carry
// yet are the ones listed for the string table and the German module, so that
// nothing changes when they move there.
#include <gtest/gtest.h>

#include <QString>
#include <fstream>
#include <map>
#include <string>

#include "text/LanguageModule.h"
#include "text/StringTable.h"
#include "ui/UiText.h"

namespace {

// id -> text of a "id<TAB>text" list with the string table's escapes.
std::map<unsigned, std::u16string> ReadList(const std::string& name) {
    std::ifstream in(std::string(BRELVANTOR_SOURCE_DIR) + "/tests/gui/strings/" + name);
    std::map<unsigned, std::u16string> out;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::string text;
        for (std::size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                const char e = line[i + 1];
                if (e == 'n' || e == 't' || e == 'r' || e == '"') {
                    text += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : '"';
                    ++i;
                    continue;
                }
            }
            text += line[i];
        }
        out[static_cast<unsigned>(std::stoul(line.substr(0, tab)))] =
            QString::fromUtf8(text).toStdU16String();
    }
    return out;
}

TEST(ProgramTexts, FallbacksAreTheListedEnglishTexts) {
    const auto english = ReadList("new-strings-en.tsv");
    ASSERT_GT(english.size(), 60u);
    for (const auto& [id, text] : english) {
        EXPECT_EQ(UiText::FallbackText(id), text) << id;
        // An id taken by the built-in table must not be given a second meaning.
        if (Text::HasBuiltInString(id)) {
            EXPECT_EQ(Text::BuiltInString(id), text) << id;
        }
    }
}

TEST(ProgramTexts, EveryNewTextHasAGermanOneWithTheSameConversions) {
    const auto english = ReadList("new-strings-en.tsv");
    const auto german = ReadList("new-strings-de.tsv");
    ASSERT_EQ(english.size(), german.size());
    for (const auto& [id, text] : english) {
        auto it = german.find(id);
        ASSERT_NE(it, german.end()) << id;
        auto conversions = [](const std::u16string& s) {
            std::u16string out;
            for (std::size_t i = 0; i + 1 < s.size(); ++i)
                if (s[i] == u'%') out += s[++i];
            return out;
        };
        EXPECT_EQ(conversions(it->second), conversions(text)) << id;
    }
}

}  // namespace
