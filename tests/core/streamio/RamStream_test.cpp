#include "streamio/RamStream.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "StreamTestSupport.h"
#include "streamio/RamDisk.h"
#include "streamio/StreamErrors.h"

using namespace StreamIO;
using StreamTest::Bytes;
using StreamTest::CodeOf;

namespace {

class RamStreamTest : public StreamTest::StreamFixture {
  protected:
    static Bytes ReadAll(CRamStream& s, std::size_t max = 4096) {
        Bytes out(max);
        out.resize(s.Read(out.data(), out.size()));
        return out;
    }
    static void Put(CRamStream& s, const Bytes& bytes) {
        EXPECT_EQ(s.Write(bytes.data(), bytes.size()), bytes.size());
    }
    static Bytes Count(std::size_t n, std::uint8_t from = 0) {
        Bytes out(n);
        std::iota(out.begin(), out.end(), from);
        return out;
    }
};

TEST_F(RamStreamTest, SharedFileIsSeenByBothStreamsAndGoesWithTheLastUser) {
    const std::uint32_t shared = kOpenRead | kOpenWrite | kOpenAlways | kShareRead | kShareWrite;
    auto a = std::make_unique<CRamStream>();
    auto b = std::make_unique<CRamStream>();
    a->Open("RAM:data", shared);
    b->Open("ram:data", shared);  // the prefix in any case, or none, names the same file
    Put(*a, {1, 2, 3, 4});
    EXPECT_EQ(b->GetLength(), 4u);
    EXPECT_EQ(b->GetPosition(), 0u);
    b->SetPosition(2);
    Put(*b, {9});
    a->SetPosition(0);
    EXPECT_EQ(ReadAll(*a), (Bytes{1, 2, 9, 4}));
    CRamStream c;
    c.Open("data", kOpenRead | kShareRead | kShareWrite);
    EXPECT_EQ(ReadAll(c).size(), 4u);
    c.Close();

    a->Close();
    EXPECT_TRUE(CRamDisk::Current()->Exists("RAM:data"));
    b.reset();  // destruction closes too
    EXPECT_FALSE(CRamDisk::Current()->Exists("RAM:data"));
    EXPECT_EQ(CodeOf([&] { a->Open("RAM:data", kOpenRead | kOpenExisting); }), kErrNotFound);
    EXPECT_FALSE(a->IsOpen());
    EXPECT_EQ(a->GetLastError(), kErrNotFound);
}

TEST_F(RamStreamTest, OpenRules) {
    const std::uint32_t rw = kOpenRead | kOpenWrite;
    struct Case {
        const char* what;
        std::optional<std::uint32_t> existing;  // flags that created the file, if any
        const char* name;
        std::uint32_t request;
        std::int32_t code;
    };
    const Case cases[] = {
        {"colon after the prefix", {}, "RAM:a:b", rw | kOpenAlways, kErrInvalidName},
        {"other disk", {}, "DISK:a", rw | kOpenAlways, kErrInvalidName},
        {"no name", {}, "RAM:", rw | kOpenAlways, kErrInvalidName},
        {"missing, open existing", {}, "RAM:f", kOpenRead, kErrNotFound},
        {"missing, create new", {}, "RAM:f", rw | kCreateNew, 0},
        {"exists, create new", kShareRead | kShareWrite, "RAM:f", rw | kCreateNew, kErrExists},
        {"truncate without shared write", kShareRead, "RAM:f", kOpenRead | kCreateAlways, kErrSharing},
        {"truncate a shared pipe", kPipe | kShareWrite | kShareRead, "RAM:f", kOpenWrite | kCreateAlways,
         kErrOpenFailed},
        {"read without shared read", kShareWrite, "RAM:f", kOpenRead, kErrSharing},
        {"write without shared write", kShareRead, "RAM:f", kOpenWrite, kErrSharing},
        {"read with shared read", kShareRead, "RAM:f", kOpenRead, 0},
        {"no sharing at all", 0, "RAM:f", 0, 0},
        {"shared pipe follows the sharing bits", kPipe | kShareRead, "RAM:f", kOpenWrite, kErrSharing},
        {"private pipe: second writer", kPipe, "RAM:f", kOpenWrite, kErrSharing},
        {"private pipe: second reader", kPipe, "RAM:f", kOpenRead, kErrSharing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRamStream creator;
        // The creator of a private pipe reads and writes, so it holds both ends.
        if (c.existing) creator.Open("RAM:f", rw | kOpenAlways | *c.existing);
        CRamStream stream;
        EXPECT_EQ(CodeOf([&] { stream.Open(c.name, c.request); }), c.code == 0 ? -1 : c.code);
        EXPECT_EQ(stream.GetLastError(), c.code);
        EXPECT_EQ(stream.IsOpen(), c.code == 0);
    }
    EXPECT_EQ(CRamDisk::Current()->FileCount(), 0u);
}

TEST_F(RamStreamTest, PrivatePipeTakesOneReaderAndOneWriterAtATime) {
    CRamStream writer, reader, second;
    writer.Open("RAM:pipe", kOpenWrite | kOpenAlways | kPipe);
    reader.Open("RAM:pipe", kOpenRead | kOpenExisting);
    EXPECT_EQ(CodeOf([&] { second.Open("RAM:pipe", kOpenRead); }), kErrSharing);
    reader.Close();
    second.Open("RAM:pipe", kOpenRead);  // the reader's place is free again
    EXPECT_TRUE(second.IsOpen());
}

TEST_F(RamStreamTest, CreateAlwaysEmptiesASharedFile) {
    const std::uint32_t flags = kOpenRead | kOpenWrite | kCreateAlways | kShareRead | kShareWrite;
    CRamStream a, b;
    a.Open("RAM:t", flags);
    Put(a, Count(10));
    b.Open("RAM:t", flags);
    EXPECT_EQ(a.GetLength(), 0u);
}

TEST_F(RamStreamTest, PipeReadsConsumeAndRefusePositions) {
    CRamStream pipe;
    pipe.Open("RAM:p", kOpenRead | kOpenWrite | kOpenAlways | kPipe);
    EXPECT_FALSE(pipe.IsRandomAccess());
    Put(pipe, Count(10));
    EXPECT_EQ(pipe.GetLength(), 10u);
    std::uint8_t buf[10];
    EXPECT_EQ(pipe.Read(buf, 4), 4u);
    EXPECT_EQ(pipe.Read(buf, 10), 6u);
    EXPECT_EQ(buf[0], 4);
    EXPECT_EQ(pipe.Read(buf, 10), 0u);
    EXPECT_EQ(pipe.GetLastError(), kErrEndOfData);
    EXPECT_EQ(CodeOf([&] { pipe.Seek(0, kSeekBegin); }), kErrSeekRefused);
    EXPECT_EQ(CodeOf([&] { pipe.SetPosition(0); }), kErrSeekRefused);
    Put(pipe, Count(5));
    pipe.ClearInput();
    EXPECT_EQ(pipe.GetLength(), 0u);
    EXPECT_EQ(pipe.Read(buf, 10), 0u);
}

TEST_F(RamStreamTest, RingWrapsAndGrowsKeepingTheOrder) {
    CRamStream pipe;
    pipe.Open("RAM:ring", kOpenRead | kOpenWrite | kOpenAlways | kPipe);
    Put(pipe, Count(500));
    EXPECT_EQ(pipe.GetCapacity(), 512u);
    EXPECT_EQ(ReadAll(pipe, 400), Count(400));
    Put(pipe, Count(300, 100));  // wraps round the end of the ring
    EXPECT_EQ(pipe.GetCapacity(), 512u);
    Put(pipe, Count(111, 144));  // 511 waiting fill the ring but its one free byte
    EXPECT_EQ(pipe.GetCapacity(), 512u);
    Put(pipe, {7});  // and one more makes it grow
    EXPECT_EQ(pipe.GetCapacity(), 1024u);
    Bytes want = Count(100, 400 % 256);
    for (std::uint8_t b : Count(300, 100)) want.push_back(b);
    for (std::uint8_t b : Count(111, 144)) want.push_back(b);
    want.push_back(7);
    EXPECT_EQ(ReadAll(pipe), want);
}

TEST_F(RamStreamTest, PlainFileGrowsIn512ByteStepsAndSeeksWithinItsLength) {
    CRamStream s;
    s.Open("RAM:g", kOpenRead | kOpenWrite | kOpenAlways);
    EXPECT_TRUE(s.IsRandomAccess());
    Put(s, {1});
    EXPECT_EQ(s.GetCapacity(), 512u);
    Put(s, Count(512));
    EXPECT_EQ(s.GetCapacity(), 1024u);
    EXPECT_TRUE(s.Reserve(2000));
    EXPECT_EQ(s.GetCapacity(), 2048u);
    EXPECT_EQ(s.GetLength(), 513u);

    EXPECT_EQ(s.Seek(-13, kSeekEnd), 500u);
    EXPECT_EQ(s.Seek(13, kSeekCurrent), 513u);
    EXPECT_EQ(CodeOf([&] { s.Seek(1, kSeekCurrent); }), kErrSeekRefused);
    EXPECT_EQ(CodeOf([&] { s.Seek(-1, kSeekBegin); }), kErrNegativeSeek);
    EXPECT_EQ(CodeOf([&] { s.Seek(0, 4); }), kErrSeek);
    EXPECT_EQ(s.GetPosition(), 513u);
}

TEST_F(RamStreamTest, TruncatedBytesNeverComeBack) {
    const std::uint32_t flags = kOpenRead | kOpenWrite | kOpenAlways | kShareRead | kShareWrite;
    CRamStream a, b;
    a.Open("RAM:cut", flags);
    b.Open("RAM:cut", flags);
    Put(a, Count(10, 1));
    b.SetPosition(8);
    a.SetPosition(2);
    a.Truncate();
    EXPECT_EQ(b.GetLength(), 2u);
    EXPECT_EQ(ReadAll(b).size(), 0u);
    EXPECT_EQ(b.GetLastError(), kErrEndOfData);
    // b still stands past the new end: writing there leaves a gap of zeros, never
    // the bytes that were cut off.
    Put(b, {0xAA});
    a.SetPosition(0);
    EXPECT_EQ(ReadAll(a), (Bytes{1, 2, 0, 0, 0, 0, 0, 0, 0xAA}));

    CRamStream reader;
    reader.Open("RAM:cut", kOpenRead);
    EXPECT_EQ(CodeOf([&] { reader.Truncate(); }), kErrWriteFault);
    EXPECT_EQ(CodeOf([&] { reader.WriteByte(1); }), kErrWriteFault);
}

TEST_F(RamStreamTest, NeedsTheStreamSubsystem) {
    ShutdownStreams();
    CRamStream s;
    EXPECT_EQ(CodeOf([&] { s.Open("RAM:x", kOpenWrite | kOpenAlways); }), kErrOutOfMemory);
    StartStreams();
    s.Open("RAM:x", kOpenWrite | kOpenAlways);
    EXPECT_TRUE(s.IsOpen());
}

TEST_F(RamStreamTest, PipeCarriesEveryByteInOrderBetweenThreads) {
    CRamStream writer, reader;
    writer.Open("RAM:line", kOpenWrite | kOpenAlways | kPipe);
    reader.Open("RAM:line", kOpenRead | kOpenExisting | kPipe);
    constexpr std::size_t kTotal = 200000;
    std::thread producer([&] {
        std::size_t sent = 0;
        std::size_t chunk = 1;
        while (sent < kTotal) {
            Bytes part(std::min(chunk, kTotal - sent));
            for (std::size_t i = 0; i < part.size(); ++i)
                part[i] = static_cast<std::uint8_t>((sent + i) * 31 % 251);
            writer.Write(part.data(), part.size());
            sent += part.size();
            chunk = chunk % 997 + 7;  // uneven sizes so the ring wraps at every offset
        }
    });
    Bytes received;
    received.reserve(kTotal);
    std::uint8_t buf[333];
    while (received.size() < kTotal) {
        const std::size_t n = reader.Read(buf, sizeof buf);
        if (n == 0) std::this_thread::yield();
        received.insert(received.end(), buf, buf + n);
    }
    producer.join();
    ASSERT_EQ(received.size(), kTotal);
    for (std::size_t i = 0; i < kTotal; ++i) {
        ASSERT_EQ(received[i], static_cast<std::uint8_t>(i * 31 % 251)) << "at byte " << i;
    }
}

}  // namespace
