#include "streamio/ZVArchive.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "StreamTestSupport.h"
#include "streamio/RamStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/StreamFactory.h"

using namespace StreamIO;
using StreamTest::Bytes;
using StreamTest::CodeOf;

namespace {

class ArchiveTest : public StreamTest::StreamFixture {};

TEST_F(ArchiveTest, EncodesValuesAndReadsThemBack) {
    struct Case {
        const char* what;
        std::uint16_t mode;
        std::function<void(CZVArchive&)> write;
        Bytes bytes;
        std::function<void(CZVArchive&)> check;
    };
    const Case cases[] = {
        {"string LE",
         0,
         [](CZVArchive& a) { a.WriteString(u"abc"); },
         {0xFE, 0x03, 0x00, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00},
         [](CZVArchive& a) { EXPECT_EQ(a.ReadString(), u"abc"); }},
        {"string BE",
         0x0080,
         [](CZVArchive& a) { a.WriteString(u"abc"); },
         {0xFE, 0x00, 0x03, 0x00, 0x61, 0x00, 0x62, 0x00, 0x63},
         [](CZVArchive& a) { EXPECT_EQ(a.ReadString(), u"abc"); }},
        {"empty string",
         0,
         [](CZVArchive& a) { a.WriteString(u""); },
         {0xFE, 0x00, 0x00},
         [](CZVArchive& a) { EXPECT_EQ(a.ReadString(), u""); }},
        {"dword LE",
         0,
         [](CZVArchive& a) { a.WriteDword(0x01020304); },
         {0x04, 0x03, 0x02, 0x01},
         [](CZVArchive& a) { EXPECT_EQ(a.ReadDword(), 0x01020304u); }},
        {"dword BE via 0x0010",
         0x0010,
         [](CZVArchive& a) { a.WriteDword(0x01020304); },
         {0x01, 0x02, 0x03, 0x04},
         [](CZVArchive& a) { EXPECT_EQ(a.ReadDword(), 0x01020304u); }},
        {"word and byte",
         0,
         [](CZVArchive& a) {
             a.WriteWord(0xBEEF);
             a.WriteByte(0x7F);
         },
         {0xEF, 0xBE, 0x7F},
         [](CZVArchive& a) {
             EXPECT_EQ(a.ReadWord(), 0xBEEF);
             EXPECT_EQ(a.ReadByte(), 0x7F);
         }},
        {"float as its IEEE bits",
         0,
         [](CZVArchive& a) { a.WriteFloat(-2.5f); },
         {0x00, 0x00, 0x20, 0xC0},
         [](CZVArchive& a) { EXPECT_EQ(a.ReadFloat(), -2.5f); }},
        {"non-ASCII code unit",
         0,
         [](CZVArchive& a) { a.WriteString(u"\u00B2"); },
         {0xFE, 0x01, 0x00, 0xB2, 0x00},
         [](CZVArchive& a) { EXPECT_EQ(a.ReadString(), u"\u00B2"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = PathOf("values.bin");
        {
            CZVArchive out(path, CZVArchive::kStore | c.mode);
            c.write(out);
            out.Close();
        }
        EXPECT_EQ(ReadFile(path), c.bytes);
        CZVArchive in(path, CZVArchive::kLoad | c.mode);
        c.check(in);
        EXPECT_TRUE(in.IsAtEnd());
    }
}

TEST_F(ArchiveTest, ReadsEightBitStringsAsWindows1252) {
    const std::string path = PathOf("narrow.bin");
    WriteFile(path, {0xFF, 0x03, 0x00, 0x61, 0x62, 0x63, 0xFF, 0x02, 0x00, 0x80, 0xB2, 0xFF, 0x00, 0x00});
    CZVArchive in(path, CZVArchive::kLoad);
    EXPECT_EQ(in.ReadString(), u"abc");
    EXPECT_EQ(in.ReadString(), u"\u20AC\u00B2");
    EXPECT_EQ(in.ReadString(), u"");
    EXPECT_TRUE(in.IsAtEnd());
}

TEST_F(ArchiveTest, RunningOutOfDataRaises38) {
    struct Case {
        const char* what;
        Bytes bytes;
        std::function<void(CZVArchive&)> read;
    };
    const Case cases[] = {
        {"dword from 3 bytes", {1, 2, 3}, [](CZVArchive& a) { a.ReadDword(); }},
        {"string length cut off", {0xFE, 0x03}, [](CZVArchive& a) { a.ReadString(); }},
        {"wide string shorter than its length",
         {0xFE, 0x05, 0x00, 0x61, 0x00},
         [](CZVArchive& a) { a.ReadString(); }},
        {"8-bit string claiming 65535 bytes",
         {0xFF, 0xFF, 0xFF, 0x61},
         [](CZVArchive& a) { a.ReadString(); }},
        {"raw block past the end",
         {1, 2, 3, 4},
         [](CZVArchive& a) {
             std::uint8_t block[40];
             a.ReadBytes(block, sizeof block);
         }},
        {"empty file", {}, [](CZVArchive& a) { a.ReadByte(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = PathOf("short.bin");
        WriteFile(path, c.bytes);
        CZVArchive in(path, CZVArchive::kLoad, 16);
        EXPECT_EQ(CodeOf([&] { c.read(in); }), kErrEndOfData);
    }
}

TEST_F(ArchiveTest, OverlongStringIsRefusedBeforeAnythingIsWritten) {
    const std::string path = PathOf("long.bin");
    {
        CZVArchive out(path, CZVArchive::kStore);
        out.WriteByte(7);
        EXPECT_EQ(CodeOf([&] { out.WriteString(std::u16string(65536, u'x')); }), kErrBufferTooSmall);
        out.Close();
    }
    EXPECT_EQ(ReadFile(path), Bytes{7});

    // The longest string that fits goes through a small buffer in many pieces.
    const std::u16string longest(65535, u'\u20AC');
    {
        CZVArchive out(path, CZVArchive::kStore, 16);
        out.WriteString(longest);
        out.Close();
    }
    EXPECT_EQ(ReadFile(path).size(), 3u + 2u * 65535u);
    CZVArchive in(path, CZVArchive::kLoad, 16);
    EXPECT_EQ(in.ReadString(), longest);
}

TEST_F(ArchiveTest, ValuesCrossingBufferBoundariesSurviveAndOffsetsCount) {
    const std::string path = PathOf("mixed.bin");
    std::uint16_t words[37];
    for (std::uint16_t i = 0; i < 37; ++i) words[i] = static_cast<std::uint16_t>(i * 1000 + 1);
    Bytes block(50);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
    {
        CZVArchive out(path, CZVArchive::kStore | CZVArchive::kBigEndian, 4);  // raised to 16
        EXPECT_EQ(out.GetBufferSize(), CZVArchive::kMinBufferSize);
        for (int round = 0; round < 5; ++round) {
            out.WriteByte(static_cast<std::uint8_t>(round));
            out.WriteDword(0xA0B0C0D0u + static_cast<std::uint32_t>(round));
            out.WriteWords(words, 37);
            out.WriteString(u"series");
        }
        for (std::uint8_t b : block) out.WriteByte(b);
        EXPECT_EQ(out.GetOffset(), 5u * (1 + 4 + 74 + 15) + 50);
        out.Close();
    }
    CZVArchive in(path, CZVArchive::kLoad | CZVArchive::kBigEndian, 16);
    for (int round = 0; round < 5; ++round) {
        EXPECT_EQ(in.ReadByte(), round);
        EXPECT_EQ(in.ReadDword(), 0xA0B0C0D0u + static_cast<std::uint32_t>(round));
        std::uint16_t back[37] = {};
        in.ReadWords(back, 37);
        EXPECT_TRUE(std::equal(std::begin(words), std::end(words), back));
        EXPECT_EQ(in.ReadString(), u"series");
    }
    EXPECT_EQ(in.GetOffset(), 5u * (1 + 4 + 74 + 15));
    EXPECT_FALSE(in.IsAtEnd());
    EXPECT_EQ(in.GetOffset(), 5u * (1 + 4 + 74 + 15));  // looking ahead consumes nothing
    Bytes back(block.size());
    in.ReadBytes(back.data(), back.size());
    EXPECT_EQ(back, block);
    EXPECT_TRUE(in.IsAtEnd());
    EXPECT_EQ(in.GetTotal(), ReadFile(path).size());
}

TEST_F(ArchiveTest, WrongDirectionAndClosedArchivesRaise) {
    const std::string path = PathOf("dir.bin");
    CZVArchive out(path, CZVArchive::kStore);
    EXPECT_EQ(CodeOf([&] { out.ReadByte(); }), kErrReadFault);
    out.WriteDword(1);
    out.Close();
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(CodeOf([&] { out.WriteByte(1); }), kErrEndOfData);

    CZVArchive in(path, CZVArchive::kLoad);
    EXPECT_EQ(CodeOf([&] { in.WriteByte(1); }), kErrWriteFault);
    EXPECT_EQ(CodeOf([&] { in.Flush(); }), kErrWriteFault);
    std::uint8_t big[1];
    EXPECT_EQ(CodeOf([&] { in.ReadBytes(big, 65536); }), kErrBufferTooSmall);
    EXPECT_EQ(CodeOf([] { CZVArchive missing("/nonexistent-folder/x.zvh", CZVArchive::kLoad); }),
              kErrNotFound);
}

TEST_F(ArchiveTest, DestructionWritesUnlessAbandoned) {
    const std::string kept = PathOf("kept.bin");
    const std::string dropped = PathOf("dropped.bin");
    {
        CZVArchive out(kept, CZVArchive::kStore);
        out.WriteWord(0x0102);
    }
    {
        CZVArchive out(dropped, CZVArchive::kStore | CZVArchive::kAbandon);
        out.WriteWord(0x0102);
    }
    EXPECT_EQ(ReadFile(kept), (Bytes{0x02, 0x01}));
    EXPECT_EQ(ReadFile(dropped), Bytes{});
}

TEST_F(ArchiveTest, WorksOnAStreamHandleFromPositionZero) {
    EXPECT_EQ(CodeOf([] { CZVArchive bad(12345u, CZVArchive::kLoad); }), kErrInvalidHandle);
    CRamStream closed;
    EXPECT_EQ(CodeOf([&] { CZVArchive bad(closed.GetHandle(), CZVArchive::kLoad); }), kErrInvalidHandle);

    // The clipboard's way: a storing archive empties the in-memory file, writes,
    // flushes, and the bytes are read back through the stream.
    CRamStream clip;
    clip.Open("RAM:ClipRamStream", kOpenRead | kOpenWrite | kCreateAlways);
    const Bytes stale(30, 0xEE);
    clip.Write(stale.data(), stale.size());
    {
        CZVArchive out(clip.GetHandle(), CZVArchive::kStore);
        out.WriteString(u"ab");
        out.Flush();
        EXPECT_EQ(clip.GetLength(), 7u);
        clip.SetPosition(0);
        Bytes back(16);
        EXPECT_EQ(clip.Read(back.data(), back.size()), 7u);
        back.resize(7);
        EXPECT_EQ(back, (Bytes{0xFE, 0x02, 0x00, 0x61, 0x00, 0x62, 0x00}));
        out.Abort();
    }
    // Closing through the handle closed the stream, and the file went with it.
    EXPECT_FALSE(clip.IsOpen());

    clip.Open("RAM:ClipRamStream", kOpenRead | kOpenWrite | kCreateAlways);
    clip.Write("\xFE\x01\x00z\x00", 5);
    CZVArchive in(clip.GetHandle(), CZVArchive::kLoad);
    EXPECT_EQ(in.ReadString(), u"z");
    in.Close();
    EXPECT_FALSE(clip.IsOpen());
}

TEST_F(ArchiveTest, AShortWriteFailsTheArchive) {
    // A stream that takes only part of a buffer (a full disk, a dead line) must not
    // let a save pass for good, and the archive must not offer the bytes again.
    StreamTest::CFakeStream sink;
    sink.writeBudget = 10;
    CZVArchive out(sink.GetHandle(), CZVArchive::kStore, 16);
    for (int i = 0; i < 4; ++i) out.WriteDword(1);
    EXPECT_EQ(CodeOf([&] { out.WriteByte(1); }), kErrWriteFault);
    EXPECT_EQ(sink.written, 10u);
    out.Close();
    EXPECT_EQ(sink.written, 10u);
    EXPECT_FALSE(sink.IsOpen());
}

}  // namespace
