// The device worker thread: jobs, abort, stop, a job that throws.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "device/Callback.h"
#include "device/DeviceThread.h"
#include "device/ZvDevice.h"
#include "text/Encoding.h"

using namespace Device;

namespace {

// Waits for a condition with a generous safety limit; tests judge the outcome.
bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 10000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

class CRecorder : public CCallback {
  public:
    void OnDevice(std::unique_ptr<CZvDevice> device) override {
        std::lock_guard lock(m_Lock);
        if (!device) ++ends;
    }
    int Ends() {
        std::lock_guard lock(m_Lock);
        return ends;
    }

  private:
    std::mutex m_Lock;
    int ends = 0;
};

// A job whose start the test sees and whose end it controls.
struct SGate {
    std::atomic<bool> started{false};
    std::atomic<bool> open{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> sawAbort{false};
};

SSearchParams JobRecording(std::shared_ptr<std::vector<int>> order, std::shared_ptr<std::mutex> lock,
                           int id) {
    SSearchParams params;
    params.Factory = [order, lock, id](int) -> std::unique_ptr<CZvDevice> {
        std::lock_guard guard(*lock);
        order->push_back(id);
        return nullptr;
    };
    return params;
}

// Blocks until the gate opens; with `untilAbort` also ends on the abort flag.
SSearchParams JobBlocking(std::shared_ptr<SGate> gate, bool untilAbort) {
    SSearchParams params;
    params.Factory = [gate, untilAbort](int) -> std::unique_ptr<CZvDevice> {
        gate->started = true;
        while (!gate->open && !(untilAbort && IsAbortRequested())) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        gate->sawAbort = IsAbortRequested();
        gate->finished = true;
        return nullptr;
    };
    return params;
}

class ThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearAbort();
        ASSERT_TRUE(StartDeviceThread());
    }
    void TearDown() override {
        StopDeviceThread();
        ClearAbort();
        SetDeviceThreadErrorReporter({});
    }
};

}  // namespace

TEST_F(ThreadTest, RunsQueuedJobsInOrder) {
    auto order = std::make_shared<std::vector<int>>();
    auto lock = std::make_shared<std::mutex>();
    CRecorder recorder;
    for (int id = 0; id < 3; ++id) {
        const SSearchParams params = JobRecording(order, lock, id);
        ASSERT_TRUE(QueueSearchJob(&recorder, &params));
    }
    ASSERT_TRUE(Eventually([&] { return recorder.Ends() == 3; }));
    std::lock_guard guard(*lock);
    EXPECT_EQ(*order, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(Eventually([] { return IsDeviceThreadIdle(); }));
}

TEST_F(ThreadTest, RefusesAJobWithoutCallbackOrParameters) {
    CRecorder recorder;
    SSearchParams params;
    EXPECT_FALSE(QueueSearchJob(nullptr, &params));
    EXPECT_FALSE(QueueSearchJob(&recorder, nullptr));
}

TEST_F(ThreadTest, AbortEndsTheRunningJobAndDiscardsTheQueue) {
    auto gate = std::make_shared<SGate>();
    auto order = std::make_shared<std::vector<int>>();
    auto lock = std::make_shared<std::mutex>();
    CRecorder recorder;
    const SSearchParams blocking = JobBlocking(gate, true);
    const SSearchParams queued = JobRecording(order, lock, 1);
    ASSERT_TRUE(QueueSearchJob(&recorder, &blocking));
    ASSERT_TRUE(QueueSearchJob(&recorder, &queued));
    ASSERT_TRUE(Eventually([&] { return gate->started.load(); }));

    AbortDeviceJobs(10000);
    EXPECT_TRUE(gate->finished);
    EXPECT_TRUE(gate->sawAbort);
    EXPECT_TRUE(IsDeviceThreadRunning());
    EXPECT_EQ(recorder.Ends(), 0);  // an aborted search reports no end
    {
        std::lock_guard guard(*lock);
        EXPECT_TRUE(order->empty());
    }

    // The thread goes on with the next job.
    ClearAbort();
    const SSearchParams next = JobRecording(order, lock, 2);
    ASSERT_TRUE(QueueSearchJob(&recorder, &next));
    ASSERT_TRUE(Eventually([&] { return recorder.Ends() == 1; }));
    std::lock_guard guard(*lock);
    EXPECT_EQ(*order, std::vector<int>{2});
}

TEST_F(ThreadTest, AbortWithoutWaitOnlyRaisesTheFlag) {
    EXPECT_FALSE(IsAbortRequested());
    AbortDeviceJobs(0);
    EXPECT_TRUE(IsAbortRequested());
    EXPECT_TRUE(IsDeviceThreadRunning());
    ClearAbort();
    EXPECT_FALSE(IsAbortRequested());
}

TEST_F(ThreadTest, StopForgetsAJobThatDoesNotEnd) {
    auto gate = std::make_shared<SGate>();
    auto recorder = std::make_shared<CRecorder>();
    const SSearchParams stuck = JobBlocking(gate, false);
    ASSERT_TRUE(QueueSearchJob(recorder.get(), &stuck));
    ASSERT_TRUE(Eventually([&] { return gate->started.load(); }));

    StopDeviceThread(20);
    EXPECT_FALSE(IsDeviceThreadRunning());
    EXPECT_FALSE(gate->finished);

    // The forgotten thread finishes on its own and sees itself aborted, so its
    // search reports nothing.
    gate->open = true;
    ASSERT_TRUE(Eventually([&] { return gate->finished.load(); }));
    EXPECT_TRUE(gate->sawAbort);
    EXPECT_EQ(recorder->Ends(), 0);

    // A new thread serves new jobs.
    ASSERT_TRUE(StartDeviceThread());
    CRecorder fresh;
    SSearchParams params;
    ASSERT_TRUE(QueueSearchJob(&fresh, &params));
    EXPECT_TRUE(Eventually([&] { return fresh.Ends() == 1; }));
}

TEST_F(ThreadTest, AbortWithWaitForgetsAJobThatDoesNotEnd) {
    auto gate = std::make_shared<SGate>();
    auto recorder = std::make_shared<CRecorder>();
    const SSearchParams stuck = JobBlocking(gate, false);
    ASSERT_TRUE(QueueSearchJob(recorder.get(), &stuck));
    ASSERT_TRUE(Eventually([&] { return gate->started.load(); }));

    AbortDeviceJobs(20);
    EXPECT_FALSE(IsDeviceThreadRunning());

    // The next job starts a new thread.
    ClearAbort();
    CRecorder fresh;
    SSearchParams params;
    ASSERT_TRUE(QueueSearchJob(&fresh, &params));
    EXPECT_TRUE(Eventually([&] { return fresh.Ends() == 1; }));
    EXPECT_TRUE(IsDeviceThreadRunning());
    gate->open = true;
    ASSERT_TRUE(Eventually([&] { return gate->finished.load(); }));
    EXPECT_TRUE(gate->sawAbort);
    EXPECT_EQ(recorder->Ends(), 0);
}

TEST_F(ThreadTest, AJobThatThrowsIsReportedAndTheNextJobRuns) {
    std::mutex lock;
    std::vector<Text::SMessage> reports;
    SetDeviceThreadErrorReporter([&](const Text::SMessage& message) {
        std::lock_guard guard(lock);
        reports.push_back(message);
    });
    CRecorder recorder;
    SSearchParams throwing;
    throwing.Factory = [](int) -> std::unique_ptr<CZvDevice> { throw std::runtime_error("broken"); };
    ASSERT_TRUE(QueueSearchJob(&recorder, &throwing));
    ASSERT_TRUE(Eventually([&] {
        std::lock_guard guard(lock);
        return !reports.empty();
    }));
    {
        std::lock_guard guard(lock);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].captionId, 28500u);
        EXPECT_EQ(reports[0].icon, Text::MsgIcon::Error);
        EXPECT_EQ(reports[0].buttons, Text::MsgButtons::Ok);
        const std::string text = Text::ToUtf8(reports[0].text);
        EXPECT_EQ(text.rfind("Unhandled exception in Device Thread.", 0), 0u);
        EXPECT_NE(text.find("Please send the log file"), std::string::npos);
    }
    ASSERT_TRUE(Eventually([] { return !IsDeviceThreadRunning(); }));

    SSearchParams params;
    ASSERT_TRUE(QueueSearchJob(&recorder, &params));
    EXPECT_TRUE(Eventually([&] { return recorder.Ends() == 1; }));
}
