// The engine's file commands and update transfer against scripted devices.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "EngineScriptStream.h"
#include "EngineTestSupport.h"
#include "device/ZvCommands.h"

using namespace Device;

// ---- File commands -------------------------------------------------------------

TEST_F(EngineTest, ListDirectoryChecksTheAnnouncedLength) {
    struct SCase {
        const char* name;
        std::string line;
        bool ok;
        std::string listing;
    } cases[] = {
        {"listing", "0000000C;a.txt;b.bin;\r", true, "a.txt;b.bin"},
        {"empty", "00000000;\r", true, ""},
        {"only the final separator", "00000001;;\r", true, ""},
        {"wrong length", "0000000B;a.txt;b.bin;\r", false, ""},
        {"no prefix", "a.txt;\r", false, ""},
        {"rejected", "?\r", false, ""},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        s.ReplyAfter(1, B({0x06}));
        s.ReplyAfter(11, Ascii(c.line));
        std::string listing = "old";
        EXPECT_EQ(e.ListDirectory(0x00A1, listing), c.ok);
        EXPECT_EQ(listing, c.listing);
        EXPECT_EQ(s.written, Cat({B({0x10}), Ascii("DIRS 00A1\r")}));
    }
}

TEST_F(EngineTest, LoadFileWritesTheDataToTheDestination) {
    const std::string command = "LOAD \"C:\\\\data\\\\x.bin\"\r";
    stream.ReplyAfter(1, B({0x06}));
    stream.ReplyAfter(1 + command.size(), Cat({B({5, 0, 0, 0}), B({'h', 'e', 'l', 'l', 'o'})}));
    CScriptStream destination;
    std::uint32_t length = 0;
    EXPECT_TRUE(engine.LoadFile(u"C:\\data\\x.bin", destination, &length));
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(destination.written, Ascii("hello"));
    EXPECT_EQ(stream.written, Cat({B({0x10}), Ascii(command)}));

    // A length above 80 MB is not believed.
    CScriptStream big;
    CTestEngine e(&big);
    big.ReplyAfter(1, B({0x06}));
    big.ReplyAfter(11, B({1, 0, 0, 0x05}));
    EXPECT_FALSE(e.LoadFile(u"x", destination));
    // Data that stops early fails.
    CScriptStream cut;
    CTestEngine f(&cut);
    cut.ReplyAfter(1, B({0x06}));
    cut.ReplyAfter(11, B({5, 0, 0, 0, 'h', 'e'}));
    EXPECT_FALSE(f.LoadFile(u"x", destination));
}

TEST_F(EngineTest, SaveFileSendsLengthAndDataAndWantsAYes) {
    for (const char* confirm : {"y\r", "N\r"}) {
        CScriptStream s;
        CTestEngine e(&s);
        const std::string command = "SAVE \"a.txt\"";
        s.ReplyAfter(1, B({0x06}));
        s.ReplyAfter(2 + command.size(), Ascii("OK\r"));
        s.ReplyAfter(2 + command.size() + 4 + 3, Ascii(confirm));
        CScriptStream source;
        source.Stale(Ascii("abc"));
        EXPECT_EQ(e.SaveFile(u"a.txt", source, 3), confirm[0] == 'y');
        EXPECT_EQ(Bytes(s.written.end() - 7, s.written.end()), Cat({B({3, 0, 0, 0}), Ascii("abc")}));
    }
}

TEST_F(EngineTest, TextFileCommandsSendTheirForms) {
    struct SCase {
        std::function<bool(CZvCommands&)> run;
        std::string command;
    } cases[] = {
        {[](CZvCommands& e) { return e.RenameFile(u"a\\b", u"c"); }, "MOVF \"a\\\\b\";\"c\""},
        {[](CZvCommands& e) { return e.DeleteFile(u"d.txt"); }, "DELF \"d.txt\""},
        {[](CZvCommands& e) { return e.RemoteLogin(u"anna", u"pw", std::nullopt); }, "RLGI \"anna\"; \"pw\""},
        {[](CZvCommands& e) { return e.RemoteLogin(u"anna", u"pw", 0x1234u); },
         "RLGI \"anna\"; \"pw\"; 00001234"},
        {[](CZvCommands& e) { return e.RemoteLogout(); }, "RLGO"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.command);
        CScriptStream s;
        CTestEngine e(&s);
        e.SetEcho(true, false);  // every file command turns echo off first
        s.ReplyAfter(1, B({0x06}));
        s.ReplyAfter(2 + c.command.size(), Ascii("OK\r"));
        EXPECT_TRUE(c.run(e));
        EXPECT_EQ(s.written, Cat({B({0x10}), Ascii(c.command), B({0x0D})}));
        EXPECT_FALSE(e.GetEcho());
    }
    EXPECT_FALSE(engine.RenameFile(std::u16string(257, u'a'), u"b"));
    EXPECT_TRUE(stream.written.empty());
}

// ---- Update transfer -----------------------------------------------------------

TEST_F(EngineTest, SendBlocksFramesEachBlockWithItsCheck) {
    const Bytes data = Sequence(10);
    CScriptStream source;
    source.Stale(data);
    // Announcement (2 + 9 bytes), then blocks of 4, 4 and 2 bytes with CRC-16.
    stream.ReplyAfter(11, B({0x00}));
    stream.ReplyAfter(11 + 6, B({0x00}));
    stream.ReplyAfter(11 + 12, B({0x00}));
    stream.ReplyAfter(11 + 16, B({0x00}));
    CProgress progress;
    EXPECT_EQ(engine.SendBlocks(source, 10, 4, 1, &progress), 10u);
    const Bytes firstBlock = Sequence(4);
    const std::uint16_t crc = Crc16(firstBlock);
    EXPECT_EQ(Bytes(stream.written.begin(), stream.written.begin() + 17),
              Cat({B({0xC9, 0xF8, 0x03, 10, 0, 0, 0, 4, 0, 0, 0}), firstBlock, B({crc & 0xFF, crc >> 8})}));
    ASSERT_EQ(progress.calls.size(), 3u);
    EXPECT_EQ(progress.calls.back()[0], 100);
}

TEST_F(EngineTest, SendPreambleRetriesAfterResync) {
    const Bytes block = Sequence(128);
    // First attempt refused, resync answered, second attempt accepted.
    const std::size_t frame = 2 + 1 + 128 + 4;
    stream.ReplyAfter(frame, B({0xF2}));
    stream.ReplyAfter(frame + 10, B({0xF0}));
    stream.ReplyAfter(2 * frame + 10, B({0x00}));
    EXPECT_TRUE(engine.SendPreamble(block, 2));
    const std::uint32_t crc = Crc32(block);
    EXPECT_EQ(Bytes(stream.written.begin() + 131, stream.written.begin() + frame),
              B({static_cast<int>(crc & 0xFF), static_cast<int>((crc >> 8) & 0xFF),
                 static_cast<int>((crc >> 16) & 0xFF), static_cast<int>(crc >> 24)}));
    EXPECT_FALSE(engine.SendPreamble(Sequence(127), 2));
}

// ---- Traffic log ---------------------------------------------------------------
