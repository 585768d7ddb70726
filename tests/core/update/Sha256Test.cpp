// The digest that decides whether a downloaded installer may be started.
#include <gtest/gtest.h>

#include "update/Sha256.h"

namespace {

using Update::CSha256;

TEST(Sha256, StandardVectorsWholeAndInPieces) {
    struct SCase {
        std::string input;
        const char* digest;
    } const cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CSha256::ToHex(CSha256::Of(c.input)), c.digest) << c.input.size();
        // Fed in uneven pieces, the digest is the same.
        CSha256 h;
        std::size_t pos = 0;
        for (std::size_t piece = 1; pos < c.input.size(); piece = piece * 3 % 97 + 1) {
            const std::size_t n = std::min(piece, c.input.size() - pos);
            h.Add(std::string_view(c.input).substr(pos, n));
            pos += n;
        }
        EXPECT_EQ(CSha256::ToHex(h.Finish()), c.digest) << c.input.size();
    }
}

TEST(Sha256, PaddingBoundaries) {
    // 55, 56 and 64 bytes need one, two and two final blocks; checked against
    // the digest of the same bytes fed one by one.
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u}) {
        const std::string input(length, 'q');
        CSha256 h;
        for (char c : input) h.Add(std::string_view(&c, 1));
        EXPECT_EQ(h.Finish(), CSha256::Of(input)) << length;
    }
    EXPECT_EQ(CSha256::ToHex(CSha256::Of(std::string(64, 'a'))),
              "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
}

TEST(Sha256, DigestFileForms) {
    const std::string hex = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const auto abc = CSha256::Of("abc");
    for (const std::string& text :
         {hex, hex + "\n", hex + "  Brelvantor_V_2_3_0_0.deb\n", hex + " *x.deb",
          std::string("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD")})
        EXPECT_EQ(CSha256::ParseDigestFile(text), abc) << text;
    for (const std::string& text :
         {std::string(), hex.substr(0, 63), hex + "0", "z" + hex.substr(1), std::string("sha256: ") + hex})
        EXPECT_FALSE(CSha256::ParseDigestFile(text)) << text;
}

}  // namespace
