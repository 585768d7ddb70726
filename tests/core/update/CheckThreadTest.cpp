// Stopping an update check's thread: bounded, and a thread that does not stop
// in time is left to end on its own, never killed.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "update/CheckThread.h"

namespace {

TEST(CheckThread, StopSetsTheAbortFlagAndWaits) {
    Update::CCheckThread thread;
    std::atomic<bool> sawAbort{false};
    ASSERT_TRUE(thread.Start([&](const std::atomic<bool>& abort) {
        while (!abort) std::this_thread::yield();
        sawAbort = true;
    }));
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_TRUE(thread.Stop(60000));
    EXPECT_TRUE(sawAbort);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.Stop());  // nothing left to stop
}

TEST(CheckThread, AThreadThatDoesNotStopIsLeftToEndAlone) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto ended = std::make_shared<std::promise<void>>();
    std::future<void> endedAlone = ended->get_future();
    {
        Update::CCheckThread thread;
        ASSERT_TRUE(thread.Start([released, ended](const std::atomic<bool>&) {
            released.wait();  // deaf to the abort flag until released
            ended->set_value();
        }));
        EXPECT_FALSE(thread.Stop(1));
        EXPECT_FALSE(thread.IsRunning());  // no longer ours
    }
    // The object is gone; the thread still ends normally afterwards.
    release.set_value();
    endedAlone.wait();
}

TEST(CheckThread, AnExceptionEndsTheWorkSilently) {
    Update::CCheckThread thread;
    ASSERT_TRUE(thread.Start([](const std::atomic<bool>&) { throw std::runtime_error("unexpected"); }));
    EXPECT_TRUE(thread.Stop(60000));
}

}  // namespace
