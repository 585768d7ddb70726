// The serial stream on a real pseudo-terminal: settings, time-outs, exclusive
// open, purge, cancel, port numbers.
#include <gtest/gtest.h>
#include <termios.h>

#include <atomic>
#include <thread>

#include "SerialPty.h"
#include "device/PortTable.h"
#include "device/SerialTransport.h"
#include "streamio/FileException.h"
#include "streamio/Rs232Stream.h"
#include "streamio/StreamErrors.h"
#include "streamio/StreamFactory.h"

using namespace StreamIO;

namespace {

constexpr std::uint32_t kReadWrite = kOpenRead | kOpenWrite;

SSerialSettings LineSettings(std::uint32_t baud, std::uint8_t dataBits, std::uint32_t parity,
                             std::uint32_t stopBits, std::uint8_t flow) {
    SSerialSettings s;
    s.BaudRate = baud;
    s.DataBits = dataBits;
    s.Parity = parity;
    s.StopBits = stopBits;
    s.Flow = flow;
    s.ReadTimeout = 1000;
    s.WriteTimeout = 50;
    return s;
}

SSerialSettings HammerSettings() {
    return LineSettings(38400, 8, SSerialSettings::kParityNone, SSerialSettings::kStopOne,
                        SSerialSettings::kFlowCts);
}

// Waits until the port holds `count` unread bytes (bounded; the outcome is judged
// by the caller).
void AwaitInput(CRs232Stream& port, std::size_t count) {
    for (int i = 0; i < 5000 && port.GetInputCount() < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

class SerialStreamTest : public ::testing::Test {
  protected:
    CPtyPair pty;
    CRs232Stream port;

    void OpenHammerPort() {
        const SSerialSettings s = HammerSettings();
        ASSERT_TRUE(port.OpenPath(pty.SlavePath(), kReadWrite, &s));
    }
};

}  // namespace

TEST_F(SerialStreamTest, SettingsComeBackAsApplied) {
    const SSerialSettings cases[] = {
        HammerSettings(),
        LineSettings(9600, 7, SSerialSettings::kParityEven, SSerialSettings::kStopTwo,
                     SSerialSettings::kFlowXonXoff),
        LineSettings(115200, 8, SSerialSettings::kParityOdd, SSerialSettings::kStopOne, 0),
        LineSettings(1200, 8, SSerialSettings::kParityMark, SSerialSettings::kStopOne,
                     SSerialSettings::kFlowDsr),
        LineSettings(4800, 6, SSerialSettings::kParitySpace, SSerialSettings::kStopTwo,
                     SSerialSettings::kFlowXonXoff | SSerialSettings::kFlowCts),
    };
    for (const SSerialSettings& applied : cases) {
        SCOPED_TRACE(applied.BaudRate);
        CRs232Stream s;
        ASSERT_TRUE(s.OpenPath(pty.SlavePath(), kReadWrite, &applied));
        SSerialSettings read;
        ASSERT_TRUE(s.GetPortSettings(read));
        // A pseudo-terminal fixes 8 data bits and no parity; the rest must come
        // back from the port as applied.
        SSerialSettings expected = applied;
        expected.DataBits = 8;
        expected.Parity = SSerialSettings::kParityNone;
        EXPECT_EQ(read, expected);
        EXPECT_EQ(s.GetSettings(), applied);
        std::int32_t r = 0, w = 0;
        ASSERT_TRUE(s.GetTimeouts(r, w));
        EXPECT_EQ(r, 1000);
        EXPECT_EQ(w, 50);
    }
}

TEST(SerialLine, EveryLineSettingSurvivesTheTerminalRecord) {
    const SSerialSettings cases[] = {
        HammerSettings(),
        LineSettings(9600, 7, SSerialSettings::kParityEven, SSerialSettings::kStopTwo,
                     SSerialSettings::kFlowXonXoff),
        LineSettings(115200, 8, SSerialSettings::kParityOdd, SSerialSettings::kStopOne, 0),
        LineSettings(1200, 5, SSerialSettings::kParityMark, SSerialSettings::kStopOne, 0),
        LineSettings(4800, 6, SSerialSettings::kParitySpace, SSerialSettings::kStopTwo,
                     SSerialSettings::kFlowXonXoff | SSerialSettings::kFlowCts),
    };
    for (const SSerialSettings& applied : cases) {
        SCOPED_TRACE(applied.BaudRate);
        termios tio{};
        ASSERT_TRUE(CRs232Stream::EncodeLine(applied, tio));
        const SSerialSettings read = CRs232Stream::DecodeLine(tio);
        EXPECT_EQ(read.BaudRate, applied.BaudRate);
        EXPECT_EQ(read.DataBits, applied.DataBits);
        EXPECT_EQ(read.Parity, applied.Parity);
        EXPECT_EQ(read.StopBits, applied.StopBits);
        EXPECT_EQ(read.Flow, applied.Flow);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    }
}

TEST_F(SerialStreamTest, SettingsLinuxCannotHonourAreRefused) {
    OpenHammerPort();
    SSerialSettings cases[4] = {HammerSettings(), HammerSettings(), HammerSettings(), HammerSettings()};
    cases[0].DataBits = 9;
    cases[1].Parity = 5;
    cases[2].StopBits = SSerialSettings::kStopOneHalf;
    cases[3].BaudRate = 12345;
    for (const SSerialSettings& s : cases) {
        EXPECT_FALSE(port.ApplyPortSettings(s));
        EXPECT_EQ(port.GetLastError(), kErrInvalidParameter);
    }
    // The port keeps what it had.
    EXPECT_EQ(port.GetSettings(), HammerSettings());
}

TEST_F(SerialStreamTest, WrongMarkerOpensNothing) {
    SSerialSettings s = HammerSettings();
    s.Magic = 0xA501;
    EXPECT_FALSE(port.OpenPort(3, kReadWrite, &s, pty.SlavePath()));
    EXPECT_EQ(port.GetLastError(), kErrInvalidParameter);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.OpenPath(pty.SlavePath(), kReadWrite, &s));
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialStreamTest, OpeningAnOpenStreamFailsAndLeavesThePort) {
    OpenHammerPort();
    EXPECT_FALSE(port.OpenPath(pty.SlavePath(), kReadWrite, nullptr));
    EXPECT_EQ(port.GetLastError(), kErrNotSupported);
    EXPECT_FALSE(port.Open(pty.SlavePath(), kReadWrite));
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Write("ok", 2), 2u);
    EXPECT_EQ(pty.Receive(2), (std::vector<std::uint8_t>{'o', 'k'}));
}

TEST_F(SerialStreamTest, SecondOpenerIsRefusedUntilThePortIsClosed) {
    OpenHammerPort();
    CRs232Stream other;
    try {
        other.OpenPath(pty.SlavePath(), kReadWrite, nullptr);
        FAIL() << "the second open succeeded";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.Code(), kErrSharing);
    }
    EXPECT_FALSE(other.IsOpen());
    port.Close();
    EXPECT_TRUE(other.OpenPath(pty.SlavePath(), kReadWrite, nullptr));
}

TEST_F(SerialStreamTest, ReadReturnsWhatCameWhenTheTimeOutEnds) {
    OpenHammerPort();
    ASSERT_TRUE(port.SetTimeouts(100, 100));
    pty.Send({1, 2, 3, 4});
    AwaitInput(port, 4);
    std::uint8_t buffer[10] = {};
    EXPECT_EQ(port.Read(buffer, 10), 4u);
    EXPECT_EQ(port.GetLastError(), kErrNone);
    EXPECT_EQ(buffer[3], 4);
    EXPECT_EQ(port.Read(buffer, 10), 0u);
    EXPECT_EQ(port.GetLastError(), kErrEndOfData);
}

TEST_F(SerialStreamTest, ReadCollectsARequestThatArrivesInPieces) {
    OpenHammerPort();
    ASSERT_TRUE(port.SetTimeouts(-1, -1));
    std::thread device([this] {
        for (std::uint8_t i = 0; i < 5; ++i) {
            pty.Send({i, i});
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    std::uint8_t buffer[10] = {};
    EXPECT_EQ(port.Read(buffer, 10), 10u);
    device.join();
    EXPECT_EQ(buffer[9], 4);
}

TEST_F(SerialStreamTest, PurgeDiscardsWhatArrived) {
    OpenHammerPort();
    ASSERT_TRUE(port.SetTimeouts(50, 50));
    pty.Send({9, 9, 9});
    AwaitInput(port, 3);
    EXPECT_EQ(port.GetInputCount(), 3u);
    port.ClearInput();
    EXPECT_EQ(port.GetInputCount(), 0u);
    std::uint8_t buffer[4];
    EXPECT_EQ(port.Read(buffer, 4), 0u);
}

TEST_F(SerialStreamTest, RecordWithoutTimeOutsLeavesThePortsTimeOuts) {
    OpenHammerPort();
    ASSERT_TRUE(port.SetTimeouts(700, 30));
    SSerialSettings s = HammerSettings();
    s.ReadTimeout = 0;
    s.WriteTimeout = 0;
    ASSERT_TRUE(port.ApplyPortSettings(s));
    std::int32_t r = 0, w = 0;
    ASSERT_TRUE(port.GetTimeouts(r, w));
    EXPECT_EQ(r, 700);
    EXPECT_EQ(w, 30);
}

TEST_F(SerialStreamTest, ReopenRestoresNameModeAndSettings) {
    const SSerialSettings s = LineSettings(9600, 7, SSerialSettings::kParityEven, SSerialSettings::kStopTwo,
                                           SSerialSettings::kFlowXonXoff);
    ASSERT_TRUE(port.OpenPath(pty.SlavePath(), kReadWrite, &s));
    ASSERT_TRUE(port.SetTimeouts(321, 12));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    ASSERT_TRUE(port.Reopen());
    SSerialSettings read;
    ASSERT_TRUE(port.GetPortSettings(read));
    EXPECT_EQ(read.BaudRate, 9600u);
    EXPECT_EQ(read.StopBits, SSerialSettings::kStopTwo);
    EXPECT_EQ(read.Flow, SSerialSettings::kFlowXonXoff);
    EXPECT_EQ(port.GetSettings().Parity, SSerialSettings::kParityEven);
    EXPECT_EQ(read.ReadTimeout, 321u);
    EXPECT_EQ(read.WriteTimeout, 12u);
    EXPECT_EQ(port.GetOpenFlags(), kReadWrite);
}

TEST_F(SerialStreamTest, CancelEndsAReadWithoutTimeOut) {
    OpenHammerPort();
    ASSERT_TRUE(port.SetTimeouts(-1, -1));
    std::atomic<bool> done{false};
    std::size_t got = 99;
    std::thread reader([&] {
        std::uint8_t b;
        got = port.Read(&b, 1);
        done = true;
    });
    // The cancel must meet the waiting read; repeat until it has.
    for (int i = 0; i < 10000 && !done; ++i) {
        port.CancelIo();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    reader.join();
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(port.GetLastError(), kErrEndOfData);
}

TEST_F(SerialStreamTest, AccessOutsideTheOpenModeRaises) {
    const SSerialSettings s = HammerSettings();
    CRs232Stream readOnly;
    ASSERT_TRUE(readOnly.OpenPath(pty.SlavePath(), kOpenRead, &s));
    try {
        readOnly.Write("x", 1);
        FAIL();
    } catch (const CFileException& e) {
        EXPECT_EQ(e.Code(), kErrWriteFault);
    }
    readOnly.Close();
    CRs232Stream writeOnly;
    ASSERT_TRUE(writeOnly.OpenPath(pty.SlavePath(), kOpenWrite, &s));
    std::uint8_t b;
    try {
        writeOnly.Read(&b, 1);
        FAIL();
    } catch (const CFileException& e) {
        EXPECT_EQ(e.Code(), kErrReadFault);
    }
    EXPECT_EQ(writeOnly.GetInputCount(), 0u);
    writeOnly.Close();
    EXPECT_THROW(writeOnly.ClearInput(), CFileException);
    EXPECT_THROW(writeOnly.Read(&b, 1), CFileException);
    EXPECT_FALSE(writeOnly.IsRandomAccess());
    EXPECT_EQ(writeOnly.GetLength(), 0u);
}

TEST_F(SerialStreamTest, AVanishedDeviceDoesNotHangARead) {
    OpenHammerPort();
    ASSERT_TRUE(port.SetTimeouts(-1, -1));
    pty.CloseMaster();
    std::uint8_t b;
    std::size_t got = 1;
    try {
        got = port.Read(&b, 1);
    } catch (const CFileException&) {
        got = 0;
    }
    EXPECT_EQ(got, 0u);
}

TEST_F(SerialStreamTest, PortNumbersResolveThroughThePortTable) {
    RegisterSerialTransport(nullptr);
    Device::CPortTable::SetCurrent(Device::CPortTable::Parse("5=" + pty.SlavePath() + ";6=/nonexistent/tty"));
    const SSerialSettings s = HammerSettings();
    ASSERT_TRUE(port.OpenPort(5, kReadWrite, &s));
    EXPECT_EQ(port.GetName(), "\\\\.\\COM5");
    EXPECT_EQ(port.GetDevicePath(), pty.SlavePath());
    port.Close();

    // The factory's "COMn:" names take the port as it is.
    std::unique_ptr<CIoStream> byName = CreateStream("com5:", kReadWrite);
    ASSERT_TRUE(byName && byName->IsOpen());
    EXPECT_EQ(byName->GetName(), "\\\\.\\COM5");
    EXPECT_EQ(byName->GetByteRate(), 3840u);
    byName.reset();

    CRs232Stream missing;
    EXPECT_THROW(missing.OpenPort(6, kReadWrite, &s), CFileException);
    EXPECT_THROW(missing.OpenPort(7, kReadWrite, &s), CFileException);
    EXPECT_FALSE(missing.IsOpen());

    UnregisterSerialTransport();
    Device::CPortTable::SetCurrent(std::nullopt);
    EXPECT_THROW(CreateStream("COM5:", kReadWrite), CFileException);
}

TEST(SerialByteRate, FollowsTheFrameLength) {
    struct SCase {
        std::uint32_t baud;
        std::uint8_t dataBits;
        std::uint32_t parity;
        std::uint32_t stopBits;
        std::uint32_t expected;
    } cases[] = {
        {38400, 8, SSerialSettings::kParityNone, SSerialSettings::kStopOne, 3840},
        {9600, 8, SSerialSettings::kParityEven, SSerialSettings::kStopTwo, 800},
        {9600, 7, SSerialSettings::kParityNone, SSerialSettings::kStopOne, 840},
        {115200, 8, SSerialSettings::kParityOdd, SSerialSettings::kStopOne, 10472},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(SerialByteRate(LineSettings(c.baud, c.dataBits, c.parity, c.stopBits, 0)), c.expected)
            << c.baud;
    }
}
