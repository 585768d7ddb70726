// The three check sums: standard check values, the empty case, pieces.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "device/Crc.h"

using namespace Device;

namespace {

std::span<const std::uint8_t> Span(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

TEST(Crc, CheckValues) {
    EXPECT_EQ(Crc8(Span("123456789")), 0xA1);
    EXPECT_EQ(Crc16(Span("123456789")), 0xBB3D);
    EXPECT_EQ(Crc32(Span("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc32(Span("The quick brown fox jumps over the lazy dog")), 0x414FA339u);
}

TEST(Crc, EmptyDataGivesZero) {
    EXPECT_EQ(Crc8({}), 0);
    EXPECT_EQ(Crc16({}), 0);
    EXPECT_EQ(Crc32({}), 0u);
}

TEST(Crc, PiecesGiveTheWholeChecks) {
    std::vector<std::uint8_t> data(1000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::span<const std::uint8_t> all(data);
    for (std::size_t cut : {0u, 1u, 333u, 999u, 1000u}) {
        const auto head = all.first(cut);
        const auto tail = all.subspan(cut);
        EXPECT_EQ(Crc8(tail, Crc8(head)), Crc8(all)) << cut;
        EXPECT_EQ(Crc16(tail, Crc16(head)), Crc16(all)) << cut;
        EXPECT_EQ(Crc32(tail, Crc32(head)), Crc32(all)) << cut;
    }
}

TEST(Crc, CheckKindsWriteLeastSignificantByteFirst) {
    const auto data = Span("123456789");
    struct SCase {
        std::uint8_t kind;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {kCheckCrc8, {0xA1}},
        {kCheckCrc16, {0x3D, 0xBB}},
        {kCheckCrc32, {0x26, 0x39, 0xF4, 0xCB}},
        {3, {}},
        {0, {}},
    };
    for (const SCase& c : cases) {
        std::uint8_t out[4] = {};
        ASSERT_EQ(CheckLength(c.kind), c.bytes.size());
        ComputeCheck(c.kind, data, out);
        EXPECT_EQ(std::vector<std::uint8_t>(out, out + c.bytes.size()), c.bytes);
        EXPECT_TRUE(VerifyCheck(c.kind, data, c.bytes.data()));
        if (!c.bytes.empty()) {
            std::vector<std::uint8_t> wrong = c.bytes;
            wrong.back() ^= 1;
            EXPECT_FALSE(VerifyCheck(c.kind, data, wrong.data()));
        }
    }
}
