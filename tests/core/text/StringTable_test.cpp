#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "text/Encoding.h"
#include "text/StringTable.h"

namespace {

// The table must carry every text of the TSV exactly, escapes resolved.
std::map<unsigned, std::u16string> ReadTsv() {
    std::ifstream in(std::string(BRELVANTOR_SOURCE_DIR) + "/core/text/strings-en.tsv");
    std::map<unsigned, std::u16string> out;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::string raw = line.substr(tab + 1), text;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                char n = raw[i + 1];
                if (n == 'n' || n == 'r' || n == 't' || n == '"') {
                    text += n == 'n' ? '\n' : n == 'r' ? '\r' : n == 't' ? '\t' : '"';
                    ++i;
                    continue;
                }
            }
            text += raw[i];
        }
        out[static_cast<unsigned>(std::stoul(line.substr(0, tab)))] = Text::FromUtf8(text);
    }
    return out;
}

}  // namespace

TEST(StringTable, CarriesEveryTextOfTheTsv) {
    auto tsv = ReadTsv();
    ASSERT_GT(tsv.size(), 300u);
    for (const auto& [id, text] : tsv) EXPECT_EQ(Text::LoadString(id), text) << id;
    EXPECT_EQ(Text::BuiltInIds().size(), tsv.size());
    EXPECT_EQ(Text::LoadString(602), u"Software\\Tolvex\\Brelvantor\\Settings");
    EXPECT_EQ(Text::LoadString(4000000000u), u"");
}

TEST(StringTable, OverridesReplaceTextsAndFallBack) {
    auto de = std::make_shared<Text::LanguageTexts>();
    (*de)[28502] = u"Warnung";
    Text::SetLanguageOverrides(de);
    EXPECT_EQ(Text::LoadString(28502), u"Warnung");
    EXPECT_EQ(Text::LoadString(28501), u"Error");  // not in the module: English
    Text::SetLanguageOverrides(nullptr);
    EXPECT_EQ(Text::LoadString(28502), u"Warning");
}
