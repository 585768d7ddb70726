#include "streamio/StreamRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "StreamTestSupport.h"
#include "streamio/FileStream.h"
#include "streamio/RamDisk.h"
#include "streamio/RamStream.h"
#include "streamio/StreamErrors.h"

using namespace StreamIO;
using StreamTest::CFakeStream;
using StreamTest::CodeOf;

namespace {

class RegistryTest : public StreamTest::StreamFixture {};

TEST_F(RegistryTest, HandlesCarrySlotAndGeneration) {
    auto first = std::make_unique<CRamStream>();
    EXPECT_EQ(first->GetHandle(), 1024u);
    CRamStream second;
    EXPECT_EQ(second.GetHandle(), 1u + 2048u);
    EXPECT_EQ(FindStream(1024).get(), first.get());
    first.reset();
    EXPECT_EQ(FindStream(1024), nullptr);

    CRamStream third;  // slot 0 again, a later generation
    EXPECT_EQ(third.GetHandle(), 3072u);
    EXPECT_EQ(FindStream(1024), nullptr);
    EXPECT_EQ(FindStream(3072).get(), &third);
    EXPECT_EQ(FindStream(0), nullptr);
    EXPECT_EQ(FindStream(3073), nullptr);
}

TEST_F(RegistryTest, GenerationWrapsToTheFirstAfterTheLast) {
    // Every registration moves the generation on; after 0xFFFFFC00 it starts again.
    const std::uint32_t registrations = CStreamRegistry::kLastGeneration / 1024 - 1;
    for (std::uint32_t i = 0; i < registrations; ++i) CFakeStream passing;
    CFakeStream last;
    EXPECT_EQ(last.GetHandle(), CStreamRegistry::kLastGeneration);
    CFakeStream wrapped;
    EXPECT_EQ(wrapped.GetHandle(), 1u + 1024u);
}

TEST_F(RegistryTest, AFullTableGivesHandleZero) {
    std::vector<std::unique_ptr<CFakeStream>> streams;
    for (std::size_t i = 0; i < CStreamRegistry::kCapacity; ++i)
        streams.push_back(std::make_unique<CFakeStream>());
    EXPECT_EQ(CStreamRegistry::Instance().Count(), CStreamRegistry::kCapacity);
    auto extra = std::make_unique<CFakeStream>();
    EXPECT_EQ(extra->GetHandle(), 0u);
    // Nobody could close it through a handle, so the registry will not take it.
    EXPECT_EQ(CodeOf([&] { AdoptStream(std::move(extra)); }), kErrTooManyOpen);
    streams.pop_back();
    CFakeStream late;
    EXPECT_EQ(late.GetHandle() & CStreamRegistry::kSlotMask, CStreamRegistry::kCapacity - 1);
}

TEST_F(RegistryTest, CloseStreamReportsHowTheCloseWent) {
    struct Case {
        const char* what;
        std::function<void()> close;
        std::int32_t code;
    };
    const Case cases[] = {
        {"clean", nullptr, 0},
        {"file exception", [] { throw CFileException(kErrWriteFault, "x"); }, kErrWriteFault},
        {"anything else", [] { throw std::runtime_error("boom"); }, kErrUnexpected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeStream stream;
        stream.onClose = c.close;
        EXPECT_EQ(CloseStream(stream.GetHandle()), c.code);
        EXPECT_FALSE(stream.IsOpen());
        EXPECT_EQ(FindStream(stream.GetHandle()).get(), &stream);  // closed, not deleted
    }
    EXPECT_EQ(CloseStream(0), kErrInvalidHandle);
    EXPECT_EQ(CloseStream(5000), kErrInvalidHandle);
}

TEST_F(RegistryTest, AdoptedStreamsAreDeletedWhenClosedThroughTheirHandle) {
    bool destroyed = false;
    auto owned = std::make_unique<CFakeStream>(&destroyed);
    owned->onClose = [] { throw CFileException(kErrDiskFull, "x"); };
    const std::uint32_t handle = AdoptStream(std::move(owned));
    EXPECT_TRUE(FindStream(handle)->IsAutoDelete());
    EXPECT_EQ(CloseStream(handle), kErrDiskFull);  // the failure is reported, the stream still goes
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(FindStream(handle), nullptr);
    EXPECT_EQ(CloseStream(handle), kErrInvalidHandle);

    // A stream found before someone else closes it stays usable until let go.
    bool gone = false;
    const std::uint32_t other = AdoptStream(std::make_unique<CFakeStream>(&gone));
    std::shared_ptr<CIoStream> held = FindStream(other);
    EXPECT_EQ(CloseStream(other), 0);
    EXPECT_FALSE(gone);
    EXPECT_EQ(FindStream(other), nullptr);
    EXPECT_FALSE(held->IsOpen());
    held.reset();
    EXPECT_TRUE(gone);
}

TEST_F(RegistryTest, ShutdownClosesEverythingAndStartBeginsAfresh) {
    bool adoptedGone = false;
    AdoptStream(std::make_unique<CFakeStream>(&adoptedGone));
    CFileStream file;
    file.Open(PathOf("f.bin"), kOpenWrite | kCreateAlways);
    const std::uint32_t fileHandle = file.GetHandle();
    CRamStream ram;
    ram.Open("RAM:r", kOpenWrite | kOpenAlways);

    ShutdownStreams();
    ShutdownStreams();  // a second call is harmless
    EXPECT_TRUE(adoptedGone);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(ram.IsOpen());
    EXPECT_EQ(file.GetHandle(), 0u);
    EXPECT_EQ(CRamDisk::Current(), nullptr);
    EXPECT_EQ(CStreamRegistry::Instance().Count(), 0u);

    StartStreams();
    StartStreams();
    EXPECT_EQ(FindStream(fileHandle), nullptr);
    CRamStream fresh;
    EXPECT_EQ(fresh.GetHandle(), 1024u);
    fresh.Open("RAM:r", kOpenRead | kOpenWrite | kOpenAlways);
    EXPECT_EQ(fresh.GetLength(), 0u);
}

TEST_F(RegistryTest, ThreadsRegisterWithoutSharingAHandle) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 200;
    std::vector<std::vector<std::unique_ptr<CFakeStream>>> kept(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&kept, t] {
            for (int i = 0; i < kPerThread; ++i) {
                CFakeStream passing;  // churn: register and unregister
                kept[t].push_back(std::make_unique<CFakeStream>());
            }
        });
    }
    for (std::thread& t : threads) t.join();
    std::set<std::uint32_t> handles;
    for (const auto& list : kept) {
        for (const auto& s : list) {
            EXPECT_EQ(FindStream(s->GetHandle()).get(), s.get());
            handles.insert(s->GetHandle());
        }
    }
    EXPECT_EQ(handles.size(), static_cast<std::size_t>(kThreads * kPerThread));
}

}  // namespace
