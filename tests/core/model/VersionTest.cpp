#include <gtest/gtest.h>

#include "model/Version.h"

namespace {

TEST(Version, PacksPartsMostSignificantFirstAndComparesAsNumber) {
    const CVersion v(1, 2, 3, 4);
    EXPECT_EQ(v.Value(), 0x0001000200030004u);
    EXPECT_EQ(v.Major(), 1);
    EXPECT_EQ(v.Minor(), 2);
    EXPECT_EQ(v.Build(), 3);
    EXPECT_EQ(v.Revision(), 4);
    EXPECT_LT(CVersion(1, 9, 65535, 65535), CVersion(2, 0, 0, 0));
    EXPECT_LT(CVersion(0x7FFF, 0, 0, 0), CVersion(0x8000, 0, 0, 0));  // unsigned, not signed
    EXPECT_TRUE(CVersion().IsNone());
}

TEST(Version, TextForms) {
    const CVersion v(1, 2, 3, 4);
    EXPECT_EQ(v.ToString4(), u"1.2.3.4");
    EXPECT_EQ(v.ToString3(), u"1.2.3");
    EXPECT_EQ(v.ToString2(), u"65538.196612");
    EXPECT_EQ(v.ToString1(), u"281483566841860");
    // The whole value is unsigned, also with the top bit set.
    EXPECT_EQ(CVersion(0xFFFF, 0, 0, 1).ToString1(), u"18446462598732840961");
}

TEST(Version, TextFormsReadBack) {
    for (const CVersion v : {CVersion(1, 2, 3, 4), CVersion(0, 0, 0, 1), CVersion(65535, 65535, 65535, 65535),
                             CVersion(3, 0, 12, 0)}) {
        EXPECT_EQ(CVersion::Parse(v.ToString4()), v) << v.Value();
        EXPECT_EQ(CVersion::Parse(v.ToString2()), v) << v.Value();
        EXPECT_EQ(CVersion::Parse(v.ToString3()), CVersion(v.Major(), v.Minor(), v.Build(), 0)) << v.Value();
    }
    const CVersion small(0, 7, 0, 9);
    EXPECT_EQ(CVersion::Parse(small.ToString1()), small);
}

TEST(Version, Parse) {
    struct SCase {
        const char* text;
        std::uint64_t expected;
    };
    const SCase cases[] = {
        {"1.2.3.4", 0x0001000200030004u},
        {" 1 , 2 , 3 , 4 ", 0x0001000200030004u},  // blanks removed, commas are points
        {"2.5.1", 0x0002000500010000u},
        {"1.2.3.4.5", 0x0001000200030004u},  // a fifth part is not read
        {"7.1b.3", (7ull << 32) | 1},        // reading stops at the first non-digit
        {"65536.0.0.0", 0},                  // a part above 16 bits
        {"1.65536.0", 0},
        {"1.2", (1ull << 32) | 2},
        {"4294967295.4294967295", 0xFFFFFFFFFFFFFFFFu},
        {"4294967296.1", 0},  // a half above 32 bits
        {"123", 123},
        {"1234567890123456789", 1234567890123456789u},  // 19 characters
        {"12345678901234567890", 0},                    // 20 characters
        {"-1.2.3.4", 0},                                // no version is negative
        {"1.-2", 0},
        {"", 0},
        {"v1.2", 0},
        {".", 0},
        {"99999999999999999999999.1", 0},  // a part beyond 64 bits
    };
    for (const auto& c : cases)
        EXPECT_EQ(CVersion::Parse(std::string_view(c.text)).Value(), c.expected) << c.text;
}

}  // namespace
