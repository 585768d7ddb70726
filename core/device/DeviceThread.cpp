#include "device/DeviceThread.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "device/DeviceSearch.h"
#include "device/UpdateJob.h"
#include "device/ZvDevice.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

namespace Device {

namespace {

constexpr unsigned kIdFatalCaption = 28500;
constexpr unsigned kIdSendLogFile = 28551;
// "Unhandled exception in Device Thread." — not yet in the string table; the
// English text stands in until the id carries it.
constexpr unsigned kIdUnhandledException = 62090;
constexpr const char16_t* kUnhandledExceptionText = u"Unhandled exception in Device Thread.";

// One started worker thread. A forgotten worker keeps its record alive through
// its own shared pointer and ends by itself.
struct SWorker {
    std::thread Thread;
    std::atomic<bool> Forgotten{false};
    bool Exited = false;  // guarded by SModule::EventLock
};

struct SModule {
    // The job queue and the abort flag. Re-entrant: the worker takes it again
    // while holding it when it discards the queue.
    std::recursive_mutex Lock;
    std::deque<SJobEntry> Jobs;
    bool Abort = false;
    DeviceThreadErrorReporter Reporter;

    // The three manual-reset events share one condition variable, so that the
    // worker can wait for "stop or job" and callers for "idle or gone".
    std::mutex EventLock;
    std::condition_variable EventChanged;
    bool EventsCreated = false;
    bool StopSet = false;
    bool JobSet = false;
    bool IdleSet = false;

    // Start, stop and abort of the thread itself.
    std::mutex WorkerLock;
    std::shared_ptr<SWorker> Worker;
};

// Never destroyed: a forgotten thread may still run while the program exits.
SModule& Module() {
    static SModule* module = new SModule;
    return *module;
}

thread_local SWorker* t_Self = nullptr;

void SetEvent(bool SModule::*event, bool value) {
    SModule& m = Module();
    {
        std::lock_guard lock(m.EventLock);
        m.*event = value;
    }
    m.EventChanged.notify_all();
}

void CreateEvents() {
    SModule& m = Module();
    {
        std::lock_guard lock(m.EventLock);
        m.EventsCreated = true;
        m.StopSet = false;
        m.JobSet = false;
        m.IdleSet = true;
    }
    m.EventChanged.notify_all();
}

// Takes every queued job out (the caller holds the lock); update jobs get their
// device restarted once the lock is released.
std::vector<CZvDevice*> DiscardQueueLocked() {
    SModule& m = Module();
    std::vector<CZvDevice*> restart;
    for (const SJobEntry& job : m.Jobs) {
        if ((job.JobType == JobUpdate || job.JobType == JobUpdateSelected) && job.UpdateDevice != nullptr) {
            restart.push_back(job.UpdateDevice);
        }
    }
    m.Jobs.clear();
    return restart;
}

void RestartDevices(const std::vector<CZvDevice*>& devices) {
    for (CZvDevice* device : devices) device->Restart();
}

void RunJob(const SJobEntry& job) {
    switch (job.JobType) {
        case JobSearch:
            RunSearchJob(job);
            break;
        case JobUpdate:
        case JobUpdateSelected:
            RunUpdateJob(job);
            break;
        default:
            break;
    }
}

// The worker loop; returns the thread's exit code.
int WorkerLoop(SWorker& self) {
    SModule& m = Module();
    {
        std::lock_guard lock(m.EventLock);
        if (!m.EventsCreated) return -1;
    }
    for (;;) {
        {
            std::lock_guard lock(m.Lock);
            if (self.Forgotten) return 0;
            m.Abort = false;
        }
        {
            std::unique_lock lock(m.EventLock);
            m.IdleSet = true;
            m.EventChanged.notify_all();
            m.EventChanged.wait(lock,
                                [&] { return m.StopSet || m.JobSet || self.Forgotten || !m.EventsCreated; });
            if (self.Forgotten || !m.EventsCreated) return 0;
            m.IdleSet = false;
            if (m.StopSet) return 0;
            m.JobSet = false;
        }
        m.EventChanged.notify_all();

        std::size_t count = 0;
        {
            std::lock_guard lock(m.Lock);
            count = m.Jobs.size();
        }
        while (count > 0) {
            SJobEntry job;
            std::vector<CZvDevice*> restart;
            bool run = false;
            {
                std::lock_guard lock(m.Lock);
                if (self.Forgotten) return 0;
                if (m.Abort) {
                    restart = DiscardQueueLocked();
                } else if (!m.Jobs.empty()) {
                    job = std::move(m.Jobs.front());
                    m.Jobs.pop_front();
                    run = true;
                }
            }
            RestartDevices(restart);
            if (!run) break;

            RunJob(job);

            {
                std::lock_guard lock(m.Lock);
                if (self.Forgotten) return 0;
                if (m.Abort) {
                    restart = DiscardQueueLocked();
                    count = 0;
                } else {
                    count = m.Jobs.size();
                }
            }
            RestartDevices(restart);
            // A stop does not wait for the rest of the queue.
            {
                std::lock_guard lock(m.EventLock);
                if (m.StopSet) return 0;
            }
        }
    }
}

void ReportFatal() {
    SModule& m = Module();
    Text::SMessage message;
    message.textId = kIdUnhandledException;
    std::u16string text = Text::LoadString(kIdUnhandledException);
    if (text.empty()) text = kUnhandledExceptionText;
    message.text = text + Text::LoadString(kIdSendLogFile);
    message.captionId = kIdFatalCaption;
    message.caption = Text::LoadString(kIdFatalCaption);
    message.icon = Text::MsgIcon::Error;
    message.buttons = Text::MsgButtons::Ok;
    DeviceThreadErrorReporter reporter;
    {
        std::lock_guard lock(m.Lock);
        reporter = m.Reporter;
    }
    try {
        if (reporter) {
            reporter(message);
        } else {
            std::fprintf(stderr, "%s\n", Text::ToUtf8(message.text).c_str());
        }
    } catch (...) {
        // Nothing more can be done for a report that cannot be shown.
    }
}

void WorkerMain(std::shared_ptr<SWorker> self) {
    t_Self = self.get();
    try {
        WorkerLoop(*self);
    } catch (...) {
        ReportFatal();
    }
    SModule& m = Module();
    {
        std::lock_guard lock(m.EventLock);
        self->Exited = true;
        m.IdleSet = false;
    }
    m.EventChanged.notify_all();
}

// Caller holds WorkerLock.
void ForgetWorkerLocked() {
    SModule& m = Module();
    std::shared_ptr<SWorker> worker = std::move(m.Worker);
    if (!worker) return;
    {
        std::lock_guard lock(m.EventLock);
        worker->Forgotten = true;
    }
    m.EventChanged.notify_all();
    if (worker->Thread.joinable()) worker->Thread.detach();
}

// Caller holds WorkerLock. Joins a worker that has ended and starts a new one
// when none runs.
bool EnsureWorkerLocked() {
    SModule& m = Module();
    if (m.Worker) {
        bool exited = false;
        {
            std::lock_guard lock(m.EventLock);
            exited = m.Worker->Exited;
        }
        if (!exited) return true;
        if (m.Worker->Thread.joinable()) m.Worker->Thread.join();
        m.Worker.reset();
    }
    {
        std::lock_guard lock(m.EventLock);
        if (!m.EventsCreated) {
            m.EventsCreated = true;
            m.StopSet = false;
            m.JobSet = false;
        }
        m.IdleSet = false;
    }
    try {
        auto worker = std::make_shared<SWorker>();
        worker->Thread = std::thread(WorkerMain, worker);
        m.Worker = std::move(worker);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

void SetDeviceThreadErrorReporter(DeviceThreadErrorReporter reporter) {
    SModule& m = Module();
    std::lock_guard lock(m.Lock);
    m.Reporter = std::move(reporter);
}

bool StartDeviceThread() {
    SModule& m = Module();
    std::lock_guard workerLock(m.WorkerLock);
    {
        std::lock_guard lock(m.Lock);
        m.Jobs.clear();
    }
    CreateEvents();
    return EnsureWorkerLocked();
}

bool QueueSearchJob(CCallback* callback, const SSearchParams* params) {
    if (callback == nullptr || params == nullptr) return false;
    SModule& m = Module();
    std::lock_guard workerLock(m.WorkerLock);
    if (!EnsureWorkerLocked()) return false;
    SJobEntry job;
    job.JobType = JobSearch;
    job.Callback = callback;
    job.DeviceType = params->DeviceType;
    job.PortType = params->PortType;
    job.Scan = params->Scan;
    job.StopAfterFirst = params->StopAfterFirst;
    job.PortNumber = params->PortNumber;
    job.SkippedPort = params->SkippedPort;
    job.Address = params->Address;
    job.Factory = params->Factory;
    {
        std::lock_guard lock(m.Lock);
        m.Jobs.push_back(std::move(job));
    }
    SetEvent(&SModule::JobSet, true);
    return true;
}

void AbortDeviceJobs(int waitMs) {
    SModule& m = Module();
    {
        std::lock_guard lock(m.Lock);
        m.Abort = true;
    }
    if (waitMs == 0) return;
    std::lock_guard workerLock(m.WorkerLock);
    std::shared_ptr<SWorker> worker = m.Worker;
    if (!worker) return;
    bool done = false;
    {
        std::unique_lock lock(m.EventLock);
        auto settled = [&] { return m.IdleSet || worker->Exited; };
        if (waitMs < 0) {
            m.EventChanged.wait(lock, settled);
            done = true;
        } else {
            done = m.EventChanged.wait_for(lock, std::chrono::milliseconds(waitMs), settled);
        }
    }
    if (!done) ForgetWorkerLocked();
}

void ClearAbort() {
    SModule& m = Module();
    std::lock_guard lock(m.Lock);
    m.Abort = false;
}

bool IsAbortRequested() {
    if (t_Self != nullptr && t_Self->Forgotten) return true;
    SModule& m = Module();
    std::lock_guard lock(m.Lock);
    return m.Abort;
}

void StopDeviceThread(int waitMs) {
    SModule& m = Module();
    std::lock_guard workerLock(m.WorkerLock);
    SetEvent(&SModule::StopSet, true);
    if (std::shared_ptr<SWorker> worker = m.Worker) {
        bool exited = false;
        {
            std::unique_lock lock(m.EventLock);
            exited = m.EventChanged.wait_for(lock, std::chrono::milliseconds(std::max(waitMs, 0)),
                                             [&] { return worker->Exited; });
        }
        if (exited) {
            if (worker->Thread.joinable()) worker->Thread.join();
            m.Worker.reset();
        } else {
            ForgetWorkerLocked();
        }
    }
    {
        std::lock_guard lock(m.EventLock);
        m.EventsCreated = false;
        m.StopSet = false;
        m.JobSet = false;
        m.IdleSet = false;
    }
    m.EventChanged.notify_all();
    // Nothing runs the queue any more; its callbacks and devices stay with their
    // owners.
    std::lock_guard lock(m.Lock);
    m.Jobs.clear();
}

bool IsDeviceThreadRunning() {
    SModule& m = Module();
    std::lock_guard workerLock(m.WorkerLock);
    if (!m.Worker) return false;
    std::lock_guard lock(m.EventLock);
    return !m.Worker->Exited;
}

bool IsDeviceThreadIdle() {
    SModule& m = Module();
    std::lock_guard lock(m.EventLock);
    return m.IdleSet;
}

}  // namespace Device
