#include "streamio/FileStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "StreamTestSupport.h"
#include "streamio/StreamErrors.h"

using namespace StreamIO;
using StreamTest::Bytes;
using StreamTest::CodeOf;

namespace {

class FileStreamTest : public StreamTest::StreamFixture {};

TEST_F(FileStreamTest, CreationModes) {
    struct Case {
        std::uint32_t creation;
        bool exists;
        std::int32_t code;   // of the open
        std::size_t length;  // of the file afterwards
    };
    const Case cases[] = {
        {kOpenExisting, false, kErrNotFound, 0},
        {kOpenExisting, true, 0, 3},
        {kOpenAlways, false, 0, 0},
        {kOpenAlways, true, 0, 3},
        {kCreateNew, false, 0, 0},
        {kCreateNew, true, kErrExists, 3},
        {kCreateAlways, false, 0, 0},
        {kCreateAlways, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "creation " << c.creation << (c.exists ? " existing" : " missing"));
        const std::string path = PathOf("mode.bin");
        std::filesystem::remove(path);
        if (c.exists) WriteFile(path, {1, 2, 3});
        CFileStream stream;
        EXPECT_EQ(CodeOf([&] { stream.Open(path, kOpenRead | kOpenWrite | c.creation); }),
                  c.code == 0 ? -1 : c.code);
        EXPECT_EQ(stream.GetLastError(), c.code);
        EXPECT_EQ(stream.IsOpen(), c.code == 0);
        EXPECT_EQ(stream.GetName(), path);
        stream.CloseQuietly();
        if (c.exists || c.code == 0) {
            EXPECT_EQ(ReadFile(path).size(), c.length);
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
        }
    }
}

TEST_F(FileStreamTest, AccessChecksAndEndOfData) {
    const std::string path = PathOf("access.bin");
    WriteFile(path, {9});
    CFileStream reader;
    reader.Open(path, kOpenRead | kShareRead | kShareWrite);
    EXPECT_EQ(CodeOf([&] { reader.WriteByte(1); }), kErrWriteFault);
    EXPECT_EQ(CodeOf([&] { reader.Truncate(); }), kErrWriteFault);
    EXPECT_EQ(reader.ReadByte(), 9);
    EXPECT_EQ(reader.GetLastError(), 0);
    // The end of the file is no exception, only a code that the next read clears.
    char rest[4];
    EXPECT_EQ(reader.Read(rest, sizeof rest), 0u);
    EXPECT_EQ(reader.GetLastError(), kErrEndOfData);
    EXPECT_TRUE(reader.IsTimeout());
    reader.SetPosition(0);
    EXPECT_EQ(reader.Read(rest, sizeof rest), 1u);
    EXPECT_EQ(reader.GetLastError(), 0);
    // Opening an open stream again is refused without touching it.
    EXPECT_FALSE(reader.Open(PathOf("other.bin"), kOpenWrite | kCreateAlways));
    EXPECT_EQ(reader.GetLastError(), kErrNotSupported);
    EXPECT_EQ(reader.GetName(), path);
    EXPECT_FALSE(std::filesystem::exists(PathOf("other.bin")));

    CFileStream writer;
    writer.Open(path, kOpenWrite | kShareRead | kShareWrite);
    EXPECT_EQ(CodeOf([&] { writer.ReadByte(); }), kErrReadFault);

    CFileStream closed;
    EXPECT_EQ(CodeOf([&] { closed.ReadByte(); }), kErrInvalidHandle);
    EXPECT_EQ(CodeOf([&] { closed.GetLength(); }), kErrInvalidHandle);
    EXPECT_FALSE(closed.Reopen());  // no name yet
}

TEST_F(FileStreamTest, PositionsLengthAndTruncation) {
    const std::string path = PathOf("seek.bin");
    CFileStream stream;
    stream.Open(path, kOpenRead | kOpenWrite | kCreateAlways);
    EXPECT_TRUE(stream.IsRandomAccess());
    stream.Write("0123456789", 10);
    EXPECT_EQ(stream.GetLength(), 10u);
    EXPECT_EQ(stream.Seek(-3, kSeekEnd), 7u);
    EXPECT_EQ(stream.ReadByte(), '7');
    EXPECT_EQ(stream.Seek(-2, kSeekCurrent), 6u);
    EXPECT_EQ(CodeOf([&] { stream.Seek(-7, kSeekCurrent); }), kErrNegativeSeek);
    EXPECT_EQ(CodeOf([&] { stream.Seek(0, 0); }), kErrSeek);
    EXPECT_EQ(stream.GetPosition(), 6u);
    EXPECT_EQ(stream.SetPosition(4), 4u);
    stream.Truncate();
    EXPECT_EQ(stream.GetLength(), 4u);
    stream.Sync();
    stream.Close();
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(ReadFile(path), (Bytes{'0', '1', '2', '3'}));

    // Reopen uses the stored name and flags; create-or-truncate empties the file.
    EXPECT_TRUE(stream.Reopen());
    EXPECT_EQ(stream.GetLength(), 0u);
}

TEST_F(FileStreamTest, SharingBitsKeepOtherStreamsOut) {
    struct Case {
        std::uint32_t first;
        std::uint32_t second;
        bool secondOpens;
    };
    const std::uint32_t load = kOpenRead | kShareRead;
    const std::uint32_t store = kOpenRead | kOpenWrite | kCreateAlways | kShareRead;
    const std::uint32_t open = kOpenRead | kOpenWrite | kShareRead | kShareWrite;
    const Case cases[] = {
        {load, load, true},       {load, store, false},
        {store, load, false},     {store, store, false},
        {open, open, true},       {load, open, true},
        {kOpenRead, open, false}, {open, kOpenRead | kShareWrite, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.first << " then " << c.second);
        const std::string path = PathOf("shared.bin");
        WriteFile(path, {1, 2, 3});
        CFileStream first;
        first.Open(path, c.first);
        CFileStream second;
        EXPECT_EQ(CodeOf([&] { second.Open(path, c.second); }), c.secondOpens ? -1 : kErrSharing);
        first.Close();
        second.CloseQuietly();
        // A refused create-or-truncate must leave the other stream's file alone.
        if (!c.secondOpens) {
            EXPECT_EQ(ReadFile(path).size(), (c.first & kCreationMask) == kCreateAlways ? 0u : 3u);
        }
    }
}

TEST_F(FileStreamTest, FailuresNameTheFileAndTheCause) {
    const std::string path = PathOf("missing.bin");
    CFileStream stream;
    try {
        stream.Open(path, kOpenRead);
        FAIL() << "opened a missing file";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.Code(), kErrNotFound);
        EXPECT_EQ(e.StreamName(), path);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
        EXPECT_NE(std::string(e.what()).find(std::strerror(ENOENT)), std::string::npos);
    }
    // A folder is not a file, and errno values never leak out as stream codes.
    EXPECT_EQ(CodeOf([&] { stream.Open(m_Dir.string(), kOpenRead); }), kErrAccessDenied);
    EXPECT_EQ(ErrorFromErrno(ENOSYS) & kErrApplicationBit, kErrApplicationBit);
    EXPECT_EQ(ErrorFromErrno(EPIPE), kErrBrokenPipe);
}

TEST_F(FileStreamTest, TimeoutsAreNotSupportedOnFilesButDoNotRaise) {
    CFileStream stream;
    stream.Open(PathOf("t.bin"), kOpenWrite | kCreateAlways);
    std::int32_t readMs = 0, writeMs = 0;
    EXPECT_FALSE(stream.SetTimeouts(100, 100));
    EXPECT_FALSE(stream.GetTimeouts(readMs, writeMs));
    EXPECT_FALSE(stream.CancelIo());
    EXPECT_EQ(stream.GetLastError(), kErrNotSupported);
}

TEST_F(FileStreamTest, AFullDiskRaises) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    CFileStream stream;
    stream.Open("/dev/full", kOpenWrite | kShareRead | kShareWrite);
    EXPECT_EQ(CodeOf([&] { stream.Write("x", 1); }), kErrDiskFull);
}

}  // namespace
