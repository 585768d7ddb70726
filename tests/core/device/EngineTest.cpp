// The protocol engine against scripted devices: frames, every reply form, the
// failure results and the text commands.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "EngineScriptStream.h"
#include "EngineTestSupport.h"
#include "device/Callback.h"
#include "device/HexTrafficLog.h"
#include "device/ZvCommands.h"

using namespace Device;

// ---- Transact ----------------------------------------------------------------

TEST_F(EngineTest, TransactRefusesBadArgumentsWithoutWriting) {
    struct SCase {
        int payload;
        int capacity;
        int timeout;
    } cases[] = {{48, 300, 100}, {0, 300, -1}, {5, 4, 100}, {-1, 300, 100}, {0, -1, 100}};
    for (const SCase& c : cases) {
        EXPECT_EQ(engine.Transact(0xD1, c.payload, buffer, c.capacity, c.timeout), kTransactBadArguments)
            << c.payload << " " << c.capacity << " " << c.timeout;
    }
    EXPECT_TRUE(stream.written.empty());
}

TEST_F(EngineTest, TransactWritesTheFrameAfterPurgingStaleBytes) {
    stream.Stale(B({0x05, 1, 2, 3, 4, 5}));
    stream.ReplyAfter(5, B({0x00}));
    buffer[0] = 0x13;
    buffer[1] = 0x01;
    buffer[2] = 0x02;
    EXPECT_EQ(engine.Transact(0xD1, 3, buffer, 16, 2000), 0);
    EXPECT_EQ(stream.written, B({0xC3, 0xD1, 0x13, 0x01, 0x02}));
    EXPECT_EQ(stream.purges, 1);
    EXPECT_EQ(stream.timeouts.back(), std::make_pair(2000, 2000));
}

TEST_F(EngineTest, TransactReadsEveryReplyForm) {
    const Bytes ten = Sequence(10);
    const Bytes twenty = Sequence(20);
    const Bytes tenCrc16 = Extended(2, ten);
    struct SCase {
        const char* name;
        int capacity;
        Bytes reply;
        int expected;
        Bytes data;  // expected start of the buffer
        std::size_t leftUnread = 0;
    } cases[] = {
        {"acknowledged", 16, B({0x00}), 0, {}},
        {"device code", 16, B({0xF5}), 0xF5, {}},
        {"last device code", 16, B({0xFF}), 0xFF, {}},
        {"short reply", 16, Cat({B({3}), B({7, 8, 9})}), 3, B({7, 8, 9})},
        {"short reply over capacity", 8, Cat({B({20}), twenty}), 20, Sequence(8)},
        {"extended crc16", 16, Extended(2, ten), 10, ten},
        {"extended crc16 mismatch", 16, Extended(2, ten, true), kTransactCheckMismatch, ten},
        {"extended crc8", 16, Extended(1, ten), 10, ten},
        {"extended crc8 mismatch", 16, Extended(1, ten, true), kTransactCheckMismatch, ten},
        {"extended crc32", 16, Extended(4, ten), 10, ten},
        {"extended crc32 mismatch", 16, Extended(4, ten, true), kTransactCheckMismatch, ten},
        // Kind 3 is no check kind: no check bytes follow; the two extra bytes stay.
        {"extended kind 3", 16, Cat({Extended(3, ten), B({0xAA, 0xBB})}), 10, ten, 2},
        {"extended empty", 16, Extended(2, {}), 0, {}},
        {"extended over capacity", 8, Extended(2, twenty), 8, Sequence(8)},
        // The data fit, the check bytes do not.
        {"extended check over capacity", 11, Extended(2, ten), 11, ten},
        {"no reply", 16, {}, kTransactCommFailure, {}},
        {"short reply cut", 16, B({5, 1, 2}), kTransactCommFailure, {}},
        {"extended header cut", 16, B({0xEF, 2, 10}), kTransactCommFailure, {}},
        {"extended data cut", 16, Bytes(tenCrc16.begin(), tenCrc16.end() - 3), kTransactCommFailure, {}},
        // A surplus that does not arrive is a broken reply, not a long one.
        {"surplus cut", 8, Cat({B({20}), Sequence(12)}), kTransactCommFailure, {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        std::uint8_t data[64] = {0x11};
        s.ReplyAfter(3, c.reply);
        EXPECT_EQ(e.Transact(0xD1, 1, data, c.capacity, 2000), c.expected);
        EXPECT_EQ(Bytes(data, data + c.data.size()), c.data);
        EXPECT_EQ(s.Unread(), c.leftUnread);
    }
}

TEST_F(EngineTest, TransactTurnsStreamFailuresIntoCommunicationFailure) {
    stream.throwOnWrite = true;
    EXPECT_EQ(engine.Transact(0xD1, 0, buffer, 16, 100), kTransactCommFailure);
    stream.throwOnWrite = false;
    stream.throwOnRead = true;
    EXPECT_EQ(engine.Transact(0xD1, 0, buffer, 16, 100), kTransactCommFailure);
    stream.throwOnRead = false;
    stream.refuseTimeouts = true;
    EXPECT_EQ(engine.Transact(0xD1, 0, buffer, 16, 100), kTransactCommFailure);
    stream.refuseTimeouts = false;
    stream.writeLimit = stream.written.size() + 3;  // the payload is cut short
    EXPECT_EQ(engine.Transact(0xD1, 4, buffer, 16, 100), kTransactCommFailure);
}

TEST_F(EngineTest, TransactLongSendsEveryPayloadByteAndReadsOnlyTheStatus) {
    const Bytes payload = Sequence(60);
    stream.ReplyAfter(62, B({0x00, 0x44}));
    EXPECT_EQ(engine.TransactLong(0xD1, payload, 2000), 0);
    EXPECT_EQ(stream.written, Cat({B({0xC1, 0xD1}), payload}));
    EXPECT_EQ(stream.Unread(), 1u);

    struct SCase {
        Bytes reply;
        int expected;
    } cases[] = {{B({0xF3}), 0xF3}, {B({0x01}), kTransactCommFailure}, {{}, kTransactCommFailure}};
    for (const SCase& c : cases) {
        CScriptStream s;
        CTestEngine e(&s);
        s.ReplyAfter(3, c.reply);
        EXPECT_EQ(e.TransactLong(0xF8, B({0x02}), 100), c.expected);
    }
    EXPECT_EQ(engine.TransactLong(0xF8, B({0x02}), -1), kTransactBadArguments);
}

// ---- ReceiveData ---------------------------------------------------------------

TEST_F(EngineTest, ReceiveDataReadsEveryReplyForm) {
    const Bytes ten = Sequence(10);
    const Bytes twenty = Sequence(20);
    const Bytes twentyCrc16 = Extended(2, twenty);
    struct SCase {
        const char* name;
        int capacity;
        Bytes reply;
        int expected;
        int received;
        Bytes data;
    } cases[] = {
        {"acknowledged", 64, B({0x00}), kReceiveOk, 0, {}},
        {"device code", 64, B({0xF5}), kReceiveCommFailure, 0, B({0xF5})},
        {"short reply", 64, Cat({B({3}), B({7, 8, 9})}), kReceiveOk, 3, B({7, 8, 9})},
        {"short reply cut", 64, B({5, 7, 8}), kReceiveCommFailure, 2, B({7, 8})},
        {"short reply over capacity", 8, Cat({B({20}), twenty}), kReceiveOverflow, 20, Sequence(8)},
        {"extended", 64, Extended(2, ten), kReceiveOk, 10, ten},
        {"extended crc32", 64, Extended(4, ten), kReceiveOk, 10, ten},
        {"extended mismatch", 64, Extended(2, ten, true), kReceiveCheckMismatch, 10, ten},
        {"extended over capacity", 8, Extended(2, twenty), kReceiveOverflow, 22, Sequence(8)},
        {"extended cut", 64, Bytes(twentyCrc16.begin(), twentyCrc16.begin() + 12), kReceiveCommFailure, 7,
         Sequence(7)},
        {"no reply", 64, {}, kReceiveCommFailure, 0, {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        std::uint8_t data[64] = {0x10};
        int received = -1;
        s.ReplyAfter(3, c.reply);
        EXPECT_EQ(e.ReceiveData(0xD1, data, 1, received, c.capacity, 2000, 60000, nullptr), c.expected);
        EXPECT_EQ(received, c.received);
        EXPECT_EQ(Bytes(data, data + c.data.size()), c.data);
        EXPECT_EQ(s.written, B({0xC1, 0xD1, 0x10}));
    }
}

TEST_F(EngineTest, ReceiveDataRefusesBadArguments) {
    int received = -1;
    EXPECT_EQ(engine.ReceiveData(0xD1, buffer, 48, received, 300, 100, -1, nullptr), kReceiveBadArguments);
    EXPECT_EQ(engine.ReceiveData(0xD1, buffer, 0, received, 300, -1, -1, nullptr), kReceiveBadArguments);
    EXPECT_EQ(engine.ReceiveData(0xD1, nullptr, 0, received, 300, 100, -1, nullptr), kReceiveBadArguments);
    EXPECT_EQ(engine.ReceiveData(0xD1, buffer, 4, received, 2, 100, -1, nullptr), kReceiveBadArguments);
    EXPECT_TRUE(stream.written.empty());
    stream.throwOnRead = true;
    EXPECT_EQ(engine.ReceiveData(0xD1, buffer, 0, received, 300, 100, -1, nullptr), kReceiveCommFailure);
}

TEST_F(EngineTest, ReceiveDataReportsProgressAfterEveryRead) {
    CProgress progress;
    stream.readChunk = 5;
    stream.ReplyAfter(2, Extended(2, Sequence(18)));
    int received = 0;
    EXPECT_EQ(engine.ReceiveData(0xD1, buffer, 0, received, 64, 2000, -1, &progress), kReceiveOk);
    EXPECT_EQ(received, 18);
    // 20 bytes (data and check) in reads of 5.
    ASSERT_EQ(progress.calls.size(), 4u);
    EXPECT_EQ(progress.calls[0], (std::vector<int>{25, 1, 0}));
    EXPECT_EQ(progress.calls[3], (std::vector<int>{100, 1, 0}));

    CProgress silent;
    silent.SetProgressEnabled(false);
    stream.ReplyAfter(stream.written.size() + 2, Extended(2, Sequence(18)));
    EXPECT_EQ(engine.ReceiveData(0xD1, buffer, 0, received, 64, 2000, -1, &silent), kReceiveOk);
    EXPECT_TRUE(silent.calls.empty());
}

TEST_F(EngineTest, ReceiveDataStopsWhenTheTimeBudgetRunsOut) {
    // Every read takes 700 ms on the engine's clock; 5 bytes arrive per read.
    stream.readChunk = 5;
    stream.onRead = [this] { engine.clockMs += 700; };
    struct SCase {
        int timeout;
        int budget;
        int expected;
    } cases[] = {
        {1000, 3000, kReceiveCommFailure},  // budget: after 2100 ms only 900 ms are left
        {1000, 1999, kReceiveOk},           // below twice the time-out: no budget
        {1000, -1, kReceiveOk},             // none
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.budget);
        stream.ReplyAfter(stream.written.size() + 2, Extended(2, Sequence(38)));
        int received = 0;
        EXPECT_EQ(engine.ReceiveData(0xD1, buffer, 0, received, 64, c.timeout, c.budget, nullptr),
                  c.expected);
        if (c.expected != kReceiveOk) {
            EXPECT_EQ(received, 15);
        }
    }
}

// ---- Control -------------------------------------------------------------------

TEST_F(EngineTest, ControlWithoutExpectedReplyReturnsRightAfterWriting) {
    stream.ReplyAfter(4, B({1, 1}));
    buffer[0] = 0x02;
    buffer[1] = 0x05;
    EXPECT_EQ(engine.Control(0xF4, 2, buffer, 4, 0, 4000), 0);
    EXPECT_EQ(stream.written, B({0xC2, 0xF4, 0x02, 0x05}));
    EXPECT_EQ(stream.Unread(), 2u);
}

TEST_F(EngineTest, ControlJudgesTheCountByte) {
    struct SCase {
        const char* name;
        int expected;
        Bytes reply;
        int result;
        Bytes data;
    } cases[] = {
        {"expected count", 4, B({4, 1, 2, 3, 4}), 4, B({1, 2, 3, 4})},
        {"any count", -1, B({3, 7, 8, 9}), 3, B({7, 8, 9})},
        {"zero count", -1, B({0}), 0, {}},
        {"other count", 4, B({3, 1, 2, 3}), -1, {}},
        {"device code", 1, B({0xF0}), -1, {}},
        {"count 240", -1, B({240}), -1, {}},
        {"count above capacity", -1, B({9, 1, 2, 3, 4, 5, 6, 7, 8, 9}), -1, {}},
        {"reply cut", 4, B({4, 1, 2}), 2, B({1, 2})},
        {"nothing", 1, {}, -1, {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        std::uint8_t data[8] = {};
        s.ReplyAfter(2, c.reply);
        EXPECT_EQ(e.Control(0xF1, 0, data, sizeof data, c.expected, 4000), c.result);
        EXPECT_EQ(Bytes(data, data + c.data.size()), c.data);
    }
    EXPECT_EQ(engine.Control(0xF4, 31, buffer, 300, 1, 100), -1);
    EXPECT_EQ(engine.Control(0xF4, 0, buffer, 300, 240, 100), -1);
    EXPECT_EQ(engine.Control(0xF4, 0, buffer, 300, 1, -1), -1);
    EXPECT_TRUE(engine.Control(0xF4, 0, buffer, 300, 0, 100) == 0);
}

TEST_F(EngineTest, ControlShortensTheTimeOutAfterTheFirstByteAndRestoresIt) {
    stream.ReplyAfter(2, B({3, 1, 2, 3}));
    EXPECT_EQ(engine.Control(0xF1, 0, buffer, 8, 3, 4000), 3);
    const std::vector<std::pair<std::int32_t, std::int32_t>> expected = {
        {4000, 4000}, {50, 50}, {4000, 4000}};
    EXPECT_EQ(stream.timeouts, expected);

    // A time-out of 50 ms or less is left alone.
    stream.timeouts.clear();
    stream.ReplyAfter(stream.written.size() + 2, B({2, 1, 2}));
    EXPECT_EQ(engine.Control(0xF1, 0, buffer, 8, 2, 40), 2);
    EXPECT_EQ(stream.timeouts, (std::vector<std::pair<std::int32_t, std::int32_t>>{{40, 40}}));

    // A stream failure after the first byte still restores the time-out.
    stream.timeouts.clear();
    stream.ReplyAfter(stream.written.size() + 2, B({2, 1}));
    stream.onRead = [this] {
        if (stream.timeouts.size() == 2) stream.throwOnRead = true;
    };
    EXPECT_EQ(engine.Control(0xF1, 0, buffer, 8, 2, 4000), -1);
    EXPECT_EQ(stream.timeouts.back(), std::make_pair(4000, 4000));
}

// ---- ResyncLink ----------------------------------------------------------------

TEST_F(EngineTest, ResyncLinkSucceedsOnTheAnswerInAnyOfThreeRounds) {
    const Bytes none;
    struct SCase {
        const char* name;
        Bytes round1, round2, round3;
        bool ok;
        std::size_t frames;
    } cases[] = {
        {"first byte", B({0xF0}), none, none, true, 1},
        {"second byte", B({0x00, 0xF0}), none, none, true, 1},
        {"third byte", B({0x55, 0x00, 0xF0}), none, none, true, 1},
        {"fourth byte is too late", B({1, 2, 3, 0xF0}), none, none, true, 2},  // read in round two
        {"second round", none, B({0xF0}), none, true, 2},
        {"third round", B({0x11}), B({0x22, 0x33}), B({0x44, 0xF0}), true, 3},
        {"never", B({0x11}), none, B({1, 2, 3}), false, 3},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        s.ReplyAfter(10, c.round1);
        s.ReplyAfter(20, c.round2);
        s.ReplyAfter(30, c.round3);
        EXPECT_EQ(e.ResyncLink(), c.ok);
        EXPECT_EQ(s.written.size(), 10 * c.frames);
        EXPECT_EQ(Bytes(s.written.begin(), s.written.begin() + 10),
                  B({0xC8, 0xF6, 0x00, 0x05, 0x55, 0x5A, 0xAA, 0xAF, 0xFF, 0xF0}));
        EXPECT_EQ(s.timeouts.front(), std::make_pair(2500, 500));
    }
}

TEST_F(EngineTest, ResyncLinkFailsAtOnceWhenAFrameCannotBeWritten) {
    stream.writeLimit = 7;
    stream.ReplyAfter(7, B({0xF0}));
    EXPECT_FALSE(engine.ResyncLink());
    EXPECT_EQ(stream.written.size(), 7u);
    stream.writeLimit = SIZE_MAX;
    stream.throwOnWrite = true;
    EXPECT_FALSE(engine.ResyncLink());
}

// ---- Text commands -------------------------------------------------------------

TEST_F(EngineTest, SendTextJudgesTheAnswer) {
    struct SCase {
        const char* name;
        bool echo;
        std::string command;
        Bytes line;
        bool ok;
        std::string reply;
    } cases[] = {
        {"answer", false, "@ID@", Ascii("N;1;2\r"), true, "N;1;2"},
        {"echoed answer", true, "@ID@", Ascii("@ID@ N;1;2\r\n"), true, "N;1;2"},
        {"echoed empty answer", true, "EC0", Ascii("EC0 \r\n"), true, ""},
        {"rejected", false, "XX", Ascii("X?\r"), false, "X?"},
        {"empty answer", false, "EC0", Ascii("\r"), true, ""},
        {"echo without space", true, "ID", Ascii("ID\r\n"), false, ""},
        {"empty command", false, "", Ascii("whatever\r"), true, ""},
        {"no line", false, "ID", {}, false, ""},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        e.SetEcho(c.echo, false);
        s.ReplyAfter(1, B({0x06}));
        s.ReplyAfter(2 + c.command.size(), c.line);
        EXPECT_EQ(e.SendText(c.command, 2000), c.ok);
        EXPECT_EQ(e.GetReply(), c.reply);
        EXPECT_EQ(s.written, Cat({B({0x10}), Ascii(c.command), B({0x0D})}));
    }
}

TEST_F(EngineTest, SendTextFailsWithoutTheDevicesFirstAnswer) {
    stream.ReplyAfter(6, Ascii("N;1;2\r"));
    EXPECT_FALSE(engine.SendText("@ID@", 2000));
    EXPECT_EQ(stream.written, B({0x10}));
}

TEST_F(EngineTest, QueryTextCopiesAndTruncatesTheAnswer) {
    struct SCase {
        const char* name;
        bool echo;
        std::string command;
        Bytes line;
        int size;
        int result;
        std::string copied;
    } cases[] = {
        {"answer", false, "ID", Ascii("N;1;2\r"), 32, 5, "N;1;2"},
        {"truncated", false, "ID", Ascii("ABCDEFGHIJ\r"), 5, 10, "ABCD"},
        {"echoed, cut at the last CR", true, "ID", Ascii("ID a\rb\r\n"), 32, 3, "a\rb"},
        {"question mark kept", false, "ID", Ascii("X?\r"), 32, 2, "X?"},
        {"echo without space", true, "ID", Ascii("ID\r\n"), 32, 0, ""},
        {"empty command", false, "", Ascii("x\r"), 32, 1, "?"},
        {"no line", false, "ID", {}, 32, -1, ""},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        e.SetEcho(c.echo, false);
        s.ReplyAfter(1, B({0x06}));
        s.ReplyAfter(2 + c.command.size(), c.line);
        char destination[64];
        std::memset(destination, 'Z', sizeof destination);
        EXPECT_EQ(e.QueryText(c.command, destination, c.size, 2000), c.result);
        EXPECT_EQ(std::string(destination), c.copied);
    }
}

TEST_F(EngineTest, QueryTextWithoutRoomDoesNoExchange) {
    char destination[4] = {'Z', 'Z', 'Z', 'Z'};
    EXPECT_EQ(engine.QueryText("ID", destination, 1, 2000), 0);
    EXPECT_EQ(destination[0], '\0');
    EXPECT_EQ(engine.QueryText("ID", nullptr, 10, 2000), 0);
    EXPECT_TRUE(stream.written.empty());
    stream.refuseTimeouts = true;
    EXPECT_EQ(engine.QueryText("ID", destination, 4, 2000), 0);
    stream.refuseTimeouts = false;
    stream.throwOnWrite = true;
    EXPECT_EQ(engine.QueryText("ID", destination, 4, 2000), 0);
}

TEST_F(EngineTest, ReadLineEndsLinesByTheEchoFlag) {
    struct SCase {
        const char* name;
        bool echo;
        Bytes input;
        int size;
        int result;
        std::string line;
        std::size_t leftUnread;
    } cases[] = {
        {"echo on, CR LF", true, Ascii("EC? 1\r\nrest"), 64, 7, "EC? 1\r\n", 4},
        {"echo on, CR alone then silence", true, Ascii("EC? 1\r"), 64, 6, "EC? 1\r", 0},
        {"echo off, CR", false, Ascii("1\r\n"), 64, 2, "1\r", 1},
        {"echo off, LF", false, Ascii("ab\ncd"), 64, 3, "ab\n", 2},
        {"silence", true, {}, 64, 0, "", 0},
        {"no line end", false, Ascii("abc"), 64, 0, "", 0},
        {"full buffer", false, Ascii("abcdefgh\r"), 5, 4, "abcd", 5},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        e.SetEcho(c.echo, false);
        s.Stale(c.input);
        char line[64];
        EXPECT_EQ(e.ReadLine(line, c.size), c.result);
        EXPECT_EQ(std::string(line), c.line);
        EXPECT_EQ(s.Unread(), c.leftUnread);
    }
}

TEST_F(EngineTest, SetEchoProbesTheDeviceAndSwitchesEcho) {
    const Bytes probe = Cat({B({0x10}), Ascii("EC?\r")});
    struct SCase {
        const char* name;
        bool want;
        Bytes answer;  // the device's line to "EC?"
        Bytes lineFeed;
        bool ok;
        bool echo;
        std::string switchCommand;  // sent when the device has to change
    } cases[] = {
        {"echoing, want off", false, Ascii("EC? 1\r"), Ascii("\n"), true, false, "EC0"},
        {"echoing, want on", true, Ascii("EC? 1\r"), Ascii("\n"), true, true, ""},
        {"silent, want on", true, Ascii("0\r"), {}, true, true, "EC1"},
        {"silent, want off", false, Ascii("0\r"), {}, true, false, ""},
        {"echo without line feed", false, Ascii("EC? 1\r"), Ascii("x"), false, false, ""},
        {"no answer", false, {}, {}, false, false, ""},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        s.ReplyAfter(1, B({0x06}));
        s.ReplyAfter(probe.size(), Cat({c.answer, c.lineFeed}));
        if (!c.switchCommand.empty()) {
            s.ReplyAfter(probe.size() + 1, B({0x06}));
            // The device answers the switch in its old echo mode.
            const Bytes reply = c.want ? Ascii("OK\r") : Cat({Ascii(c.switchCommand), Ascii(" OK\r\n")});
            s.ReplyAfter(probe.size() + 2 + c.switchCommand.size(), reply);
        }
        EXPECT_EQ(e.SetEcho(c.want, true), c.ok);
        if (c.ok) {
            EXPECT_EQ(e.GetEcho(), c.echo);
        }
        const Bytes expected =
            c.switchCommand.empty() ? probe : Cat({probe, B({0x10}), Ascii(c.switchCommand), B({0x0D})});
        if (c.ok) {
            EXPECT_EQ(s.written, expected);
        }
        EXPECT_EQ(s.timeouts.front(), std::make_pair(8000, 4000));
    }
}

// ---- ChangeMode, TransferTimeout ----------------------------------------------

namespace {

// Replies of a mode change to mode m: exists, not active, duration, active.
struct SModeScript {
    Bytes exists = B({1, 1});
    Bytes active = B({1, 0});
    Bytes duration = B({3, 0xF4, 0x01, 0x00});  // 500 ms
    Bytes after = B({1, 1});
};

void Script(CScriptStream& s, const SModeScript& m) {
    // Every control request is four bytes.
    s.ReplyAfter(4, m.exists);
    s.ReplyAfter(8, m.active);
    s.ReplyAfter(12, m.duration);
    s.ReplyAfter(20, m.after);  // after the switch request and the final question
}

}  // namespace

TEST_F(EngineTest, ChangeModeSwitchesAndWaitsTheScaledDuration) {
    CProgress progress;
    Script(stream, {});
    bool switched = false;
    EXPECT_TRUE(engine.ChangeMode(0x05, switched, &progress, 150));
    EXPECT_TRUE(switched);
    EXPECT_EQ(stream.written,
              Cat({B({0xC2, 0xF4, 0x00, 0x05}), B({0xC2, 0xF4, 0x01, 0x05}), B({0xC2, 0xF4, 0x03, 0x05}),
                   B({0xC2, 0xF4, 0x02, 0x05}), B({0xC2, 0xF4, 0x01, 0x05})}));
    EXPECT_EQ(engine.TotalSleep(), 750);
    ASSERT_EQ(progress.calls.size(), 1u);
    EXPECT_EQ(progress.calls[0], (std::vector<int>{0, 1, 600}));
    EXPECT_EQ(stream.closes, 0);
}

TEST_F(EngineTest, ChangeModeCases) {
    struct SCase {
        const char* name;
        std::uint8_t mode;
        SModeScript script;
        bool ok;
        bool switched;
        int slept;
        int reopens;
        std::uint8_t lastQuestion;  // the mode asked for at the end (0: not asked)
    } cases[] = {
        {"mode missing", 0x05, {B({1, 0})}, false, false, 0, 0, 0},
        {"already active", 0x05, {B({1, 1}), B({1, 1})}, true, false, 0, 0, 0},
        {"already active, leaves the port", 0x15, {B({1, 1}), B({1, 1})}, true, false, 0, 1, 0},
        {"zero duration", 0x05, {B({1, 1}), B({1, 0}), B({3, 0, 0, 0})}, false, false, 0, 0, 0},
        {"no wait for mode 1", 0x21, {}, true, true, 0, 0, 0},
        {"leaves the port", 0x15, {}, true, true, 600, 1, 5},
        {"mode 4 via port is checked as 12", 0x14, {}, true, true, 600, 1, 12},
        {"not active afterwards",
         0x05,
         {B({1, 1}), B({1, 0}), B({3, 0xF4, 1, 0}), B({1, 0})},
         false,
         true,
         500,
         0,
         5},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptStream s;
        CTestEngine e(&s);
        Script(s, c.script);
        bool switched = !c.switched;
        EXPECT_EQ(e.ChangeMode(c.mode, switched, nullptr, 0), c.ok);
        EXPECT_EQ(switched, c.switched);
        EXPECT_EQ(e.TotalSleep(), c.slept);
        EXPECT_EQ(s.reopens, c.reopens);
        if (c.lastQuestion != 0) {
            EXPECT_EQ(Bytes(s.written.end() - 4, s.written.end()), B({0xC2, 0xF4, 0x01, c.lastQuestion}));
        }
    }
}

TEST_F(EngineTest, ChangeModeToZeroNeedsNoDuration) {
    stream.ReplyAfter(4, B({1, 1}));
    stream.ReplyAfter(8, B({1, 0}));
    bool switched = false;
    EXPECT_TRUE(engine.ChangeMode(0x00, switched, nullptr, 100));
    EXPECT_TRUE(switched);
    EXPECT_EQ(stream.written.size(), 12u);
    EXPECT_EQ(Bytes(stream.written.end() - 4, stream.written.end()), B({0xC2, 0xF4, 0x02, 0x00}));
}

TEST_F(EngineTest, ChangeModeFailsWhenThePortDoesNotComeBack) {
    Script(stream, {});
    stream.reopenFails = true;
    bool switched = false;
    EXPECT_FALSE(engine.ChangeMode(0x15, switched, nullptr, 100));
    EXPECT_TRUE(switched);
}

TEST_F(EngineTest, TransferTimeoutScalesWithTheLine) {
    struct SCase {
        std::uint64_t count, size;
        std::uint32_t rate;
        std::int32_t expected;
    } cases[] = {
        {1000, 1, 3840, 4000},          // floor
        {60000, 1, 3840, 15825},        // 60000 * 1000 / 3840 + 200
        {100000, 2, 0, 12700},          // 16000 bytes/s when the stream knows none
        {0x5000000, 2, 1, 0x7FFFFFFF},  // saturates
        {~0ull, ~0ull, 3840, 0x7FFFFFFF},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(CZvCommands::ComputeTransferTimeout(c.count, c.size, c.rate), c.expected) << c.count;
    }
    stream.byteRate = 3840;
    EXPECT_TRUE(engine.TransferTimeout(60000, 1));
    EXPECT_EQ(stream.timeouts.back(), std::make_pair(15825, 15825));
}

namespace {

class CRecordingLog : public ITrafficLog {
  public:
    std::vector<std::pair<ETrafficDirection, Bytes>> entries;
    void OnTraffic(ETrafficDirection direction, std::int64_t unixMs,
                   std::span<const std::uint8_t> bytes) override {
        EXPECT_GT(unixMs, 0);
        entries.emplace_back(direction, Bytes(bytes.begin(), bytes.end()));
    }
};

}  // namespace

TEST_F(EngineTest, TrafficLogRecordsBothDirectionsInOrder) {
    CRecordingLog log;
    engine.SetTrafficLog(&log);
    stream.ReplyAfter(2, B({3, 1, 2, 3}));
    EXPECT_EQ(engine.Control(0xF1, 0, buffer, 8, 3, 4000), 3);
    // The reply read byte by byte shows as one entry.
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[0], std::make_pair(ETrafficDirection::Sent, B({0xC0, 0xF1})));
    EXPECT_EQ(log.entries[1], std::make_pair(ETrafficDirection::Received, B({3, 1, 2, 3})));

    engine.SetTrafficLog(nullptr);
    stream.ReplyAfter(stream.written.size() + 2, B({0}));
    EXPECT_EQ(engine.Transact(0xD1, 0, buffer, 8, 100), 0);
    EXPECT_EQ(log.entries.size(), 2u);
}

TEST(EngineHexLog, RendersSixteenBytesALineWithTheirCharacters) {
    const Bytes bytes = Cat({Ascii("@ID@"), B({0x0D}), Sequence(14, 0x41)});
    const std::string lines = CHexTrafficLog::FormatLines(ETrafficDirection::Sent, 0, bytes);
    std::istringstream in(lines);
    std::string first, second, extra;
    ASSERT_TRUE(std::getline(in, first));
    ASSERT_TRUE(std::getline(in, second));
    EXPECT_FALSE(std::getline(in, extra));
    EXPECT_EQ(first.substr(12), " > 40 49 44 40 0D 41 42 43 44 45 46 47 48 49 4A 4B  @ID@.ABCDEFGHIJK");
    EXPECT_EQ(second.substr(12, 12), " > 4C 4D 4E ");
    // The characters line up whatever the number of bytes.
    EXPECT_EQ(second.find("LMN"), first.find("@ID@"));
    EXPECT_EQ(second.size(), second.find("LMN") + 3);
    EXPECT_EQ(first.substr(2, 1), ":");
    EXPECT_EQ(first.substr(8, 1), ".");

    std::ostringstream out;
    CHexTrafficLog log(out);
    log.OnTraffic(ETrafficDirection::Received, 0, B({0xF0}));
    const std::string received = out.str();
    EXPECT_EQ(received.substr(12, 6), " < F0 ");
    EXPECT_EQ(received.substr(received.size() - 2), ".\n");
}

// ---- Arbitrary replies -----------------------------------------------------------

TEST(EngineArbitraryReplies, EveryReaderEndsWithAResult) {
    // Deterministic noise, biased towards the bytes that steer the readers.
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(seed >> 16);
    };
    const std::uint8_t steering[] = {0x00, 0x01, 0x0D, 0x0A, 0x20, 0x3B, 0x3F, 0xEF, 0xF0, 0xFF, 0x02, 0x04};
    for (int round = 0; round < 3000; ++round) {
        Bytes reply(next() % 64);
        for (auto& b : reply) b = (next() & 1) != 0 ? steering[next() % sizeof steering] : next();
        const int capacity = 1 + next() % 40;
        CScriptStream s;
        CTestEngine e(&s);
        s.ReplyAfter(1, reply);
        Bytes buffer(static_cast<std::size_t>(capacity), 0);
        int received = 0;
        switch (round % 6) {
            case 0: {
                const int r = e.Transact(0xD1, 0, buffer.data(), capacity, 10);
                EXPECT_TRUE(r >= 0 && r <= 0xFFFFFF) << r;
                break;
            }
            case 1: {
                const int r = e.ReceiveData(0xD1, buffer.data(), 0, received, capacity, 10, -1, nullptr);
                EXPECT_TRUE(r == 0 || r == 6 || r == 12 || r == 13) << r;
                if (r == 0) {
                    EXPECT_LE(received, capacity);
                }
                break;
            }
            case 2:
                EXPECT_LE(e.Control(0xF1, 0, buffer.data(), capacity, -1, 10), capacity);
                break;
            case 3:
                e.SendText("@ID@", 10);
                EXPECT_LE(e.GetReply().size(), 1023u);
                break;
            case 4: {
                std::vector<char> line(static_cast<std::size_t>(capacity));
                EXPECT_LT(e.ReadLine(line.data(), capacity), capacity);
                break;
            }
            case 5: {
                std::string listing;
                e.ListDirectory(0, listing);
                bool switched = false;
                e.ChangeMode(reply.empty() ? 0 : reply[0], switched, nullptr, 100);
                break;
            }
        }
    }
}
