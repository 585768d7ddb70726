// The texts of the tools and the command-line program come from the string
// table, so a language module replaces them like every other text.
#include <gtest/gtest.h>

#include "text/StringTable.h"
#include "tools/ToolStrings.h"

namespace {

TEST(ToolStrings, ComeFromTheStringTable) {
    for (unsigned id = 62600; id <= 62634; ++id) {
        EXPECT_TRUE(Text::HasBuiltInString(id)) << id;
        EXPECT_EQ(Text::LoadString(id), Tools::LoadToolString(id)) << id;
    }
    EXPECT_EQ(Text::LoadString(59528), Tools::LoadToolString(59528));
    EXPECT_EQ(u"Slot C2 of the Talvenbrecker could not be emptied.", Tools::FormatToolString(62615, u"C2"));
}

}  // namespace
