// The texts newer than the shipped string table.
#include <gtest/gtest.h>

#include <set>

#include "text/StringTable.h"
#include "tools/ToolStrings.h"

namespace {

TEST(ToolStrings, IdsAreUniqueAndInTheToolsRange) {
    std::set<unsigned> seen;
    for (const auto& s : Tools::ToolStrings()) {
        EXPECT_GE(s.id, 62600u);
        EXPECT_LT(s.id, 62700u);
        EXPECT_TRUE(seen.insert(s.id).second) << s.id;
        EXPECT_NE(u"", std::u16string(s.english)) << s.id;
    }
}

TEST(ToolStrings, TheStringTableWinsAndTheEnglishTextStandsIn) {
    for (const auto& s : Tools::ToolStrings()) {
        // Once the table carries a text, it must be the one the program was written with.
        if (Text::HasBuiltInString(s.id)) {
            EXPECT_EQ(Text::BuiltInString(s.id), s.english) << s.id;
        }
        EXPECT_EQ(Text::LoadString(s.id).empty() ? std::u16string(s.english) : Text::LoadString(s.id),
                  Tools::LoadToolString(s.id));
    }
    EXPECT_EQ(Text::LoadString(59528), Tools::LoadToolString(59528));
    EXPECT_EQ(u"Slot C2 of the Talvenbrecker could not be emptied.", Tools::FormatToolString(62615, u"C2"));
}

}  // namespace
