// Update package heads: what passes, what each broken part gives, and reading
// from a stream.
#include <gtest/gtest.h>

#include <functional>

#include "PackageFixture.h"
#include "device/PackageHeader.h"

using namespace Device;

using namespace PackageFixture;

namespace {

Bytes PackageWithBody() {
    Bytes b = Package();
    b.insert(b.end(), 32, 0xEE);  // body: block descriptors follow
    return b;
}

}  // namespace

TEST(PackageHeader, ReadsAValidPackage) {
    const Bytes bytes = PackageWithBody();
    CPackageHeader header;
    std::size_t consumed = 0;
    ASSERT_TRUE(header.Parse(bytes, &consumed));
    EXPECT_EQ(header.GetError(), EPackageError::None);
    EXPECT_EQ(consumed, kTrailer + CPackageHeader::kTrailerSize);
    const CContents& contents = header.GetContents();
    EXPECT_EQ(contents.GetFormatVersion().Value(), (std::uint64_t{1} << 32) | 7);
    ASSERT_EQ(contents.GetCount(), 2u);
    EXPECT_EQ(contents[0].FlagA, 0x22);
    EXPECT_EQ(contents[0].FlagB, 1);
    EXPECT_EQ(contents[0].Kind, 1);
    EXPECT_EQ(contents[0].Version, CVersion(2, 4, 1, 0));
    EXPECT_EQ(contents[0].Code, "APP");
    EXPECT_EQ(contents[0].Size, "200 kB");
    EXPECT_EQ(contents[0].ValueA, 0);
    EXPECT_EQ(contents[0].ValueB, 3);
    EXPECT_EQ(contents[1].Kind, 3);
    EXPECT_EQ(contents[1].Code, "");  // flags bit 1 not set: no code
    EXPECT_EQ(contents[1].Size, "1.5 MB");
    EXPECT_EQ(header.GetDeviceCode(), 0x05010000u);
    EXPECT_EQ(header.GetTargetVersion(), CVersion(2, 5, 0, 0));
    EXPECT_EQ(header.GetTrailerValue(), 0xCAFEu);
    EXPECT_EQ(header.GetCheckKind(), 2);
    EXPECT_EQ(header.GetTrailerWordA(), 0x2222);
    EXPECT_EQ(header.GetTrailerWordB(), 0x3333);
    EXPECT_EQ(header.GetPreamble()[0], 0);
    EXPECT_EQ(header.GetPreamble()[127], 127);
}

TEST(PackageHeader, EachBrokenPartIsReported) {
    struct Case {
        const char* what;
        std::function<void(Bytes&)> breakIt;
        EPackageError error;
    };
    const Case cases[] = {
        {"empty file", [](Bytes& b) { b.clear(); }, EPackageError::Truncated},
        {"header cut short", [](Bytes& b) { b.resize(15); }, EPackageError::Truncated},
        {"magic", [](Bytes& b) { b[2] = 'V'; }, EPackageError::BadMagic},
        {"first value not 1", [](Bytes& b) { b[4] = 2; }, EPackageError::BadHeader},
        {"second value not 1", [](Bytes& b) { b[9] = 1; }, EPackageError::BadHeader},
        {"no entries", [](Bytes& b) { b[12] = 0; }, EPackageError::BadEntryCount},
        {"2001 entries", [](Bytes& b) { b[12] = 0xD1, b[13] = 0x07; }, EPackageError::BadEntryCount},
        {"huge entry count", [](Bytes& b) { b[15] = 0x80; }, EPackageError::BadEntryCount},
        {"entry kind 8", [](Bytes& b) { b[kEntry0 + 2] = 8; }, EPackageError::BadEntry},
        {"entry value B 0", [](Bytes& b) { b[kEntry0 + 18 + 16] = 0, b[kEntry0 + 18 + 17] = 0; },
         EPackageError::BadEntry},
        {"entries cut short", [](Bytes& b) { b.resize(kEntry0 + 30); }, EPackageError::Truncated},
        {"more entries than the file holds", [](Bytes& b) { b[12] = 3, b.resize(kTrailer + 10); },
         EPackageError::Truncated},
        {"trailer device code 0",
         [](Bytes& b) { std::fill(b.begin() + kTrailer, b.begin() + kTrailer + 4, 0); },
         EPackageError::BadTrailer},
        {"trailer check kind 3", [](Bytes& b) { b[kTrailer + 14] = 3; }, EPackageError::BadTrailer},
        {"trailer cut short", [](Bytes& b) { b.resize(kTrailer + 160); }, EPackageError::Truncated},
    };
    for (const auto& c : cases) {
        Bytes bytes = Package();
        c.breakIt(bytes);
        CPackageHeader header;
        EXPECT_FALSE(header.Parse(bytes)) << c.what;
        EXPECT_EQ(header.GetError(), c.error) << c.what;
    }
}

TEST(PackageHeader, ReportsWhichEntryFailed) {
    Bytes bytes = Package();
    bytes[kEntry0 + 18 + 2] = 9;
    CPackageHeader header;
    EXPECT_FALSE(header.Parse(bytes));
    EXPECT_EQ(header.GetFailedEntry(), 1);
    EXPECT_EQ(header.GetContents().GetCount(), 1u);
}

TEST(PackageHeader, ReadsFromAStreamInPiecesAndStopsAtTheBody) {
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        CMemoryStream stream(PackageWithBody(), chunk);
        CPackageHeader header;
        ASSERT_TRUE(header.Read(stream)) << chunk;
        EXPECT_EQ(stream.Position(), kTrailer + CPackageHeader::kTrailerSize) << chunk;
        EXPECT_EQ(header.GetContents().GetCount(), 2u);
    }
    CMemoryStream failing(Package(), 16, true);
    CPackageHeader header;
    EXPECT_FALSE(header.Read(failing));
    EXPECT_EQ(header.GetError(), EPackageError::ReadFailed);
}

TEST(PackageHeader, ARejectedPackageKeepsNothingOfAnEarlierOne) {
    CPackageHeader header;
    ASSERT_TRUE(header.Parse(Package()));
    Bytes broken = Package();
    broken[0] = 'X';
    EXPECT_FALSE(header.Parse(broken));
    EXPECT_EQ(header.GetContents().GetCount(), 0u);
    EXPECT_EQ(header.GetDeviceCode(), 0u);
}
