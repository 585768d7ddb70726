#pragma once
// The device worker thread: runs device searches (and update jobs) queued by the
// user interface, one after the other.
//
// One re-entrant lock guards the job queue and the abort flag; three manual-reset
// events drive the thread: stop (set by StopDeviceThread), job (set by
// QueueSearchJob, reset when the thread wakes) and idle (set while the thread
// waits for work). A job keeps checking IsAbortRequested and stops soon after it
// turns true. A thread that does not stop in time is detached and forgotten,
// never killed: it sees the abort flag raised for good and ends when its job
// returns, without touching the queue again.
#include <cstdint>
#include <functional>
#include <string>

#include "device/DeviceFactory.h"
#include "device/DeviceTypes.h"
#include "device/SearchParams.h"
#include "text/UserPrompt.h"

namespace StreamIO {
class CIoStream;
}

namespace Device {

class CCallback;
class CContents;
class CZvDevice;

inline constexpr int JobSearch = 1;
inline constexpr int JobUpdate = 2;
inline constexpr int JobUpdateSelected = 3;

struct SJobEntry {
    int JobType = 0;  // JobSearch, JobUpdate or JobUpdateSelected; others are ignored
    CCallback* Callback = nullptr;
    int DeviceType = TypeCount;
    int PortType = PortNone;
    bool Scan = false;
    bool StopAfterFirst = true;
    int PortNumber = 1;
    int SkippedPort = -1;
    std::string Address;
    // Update jobs only (never queued by this program); not owned.
    CZvDevice* UpdateDevice = nullptr;
    StreamIO::CIoStream* UpdatePackage = nullptr;
    const CContents* UpdateSelection = nullptr;
    DeviceFactory Factory;  // search jobs: see SSearchParams::Factory
};

// Shows the fatal report when a job throws (called on the worker thread; the
// report must reach the user without touching windows from that thread). Without
// one the report goes to standard error.
using DeviceThreadErrorReporter = std::function<void(const Text::SMessage& message)>;
void SetDeviceThreadErrorReporter(DeviceThreadErrorReporter reporter);

// Empties the queue, (re)creates the events (stop and job reset, idle set) and
// starts the thread if it is not running. Called once at program start.
bool StartDeviceThread();
// Queues a search with `params` for `callback` (not owned; it must stay valid
// until it has received OnDevice without a device, or until an abort has been
// waited for). Starts the thread when none runs. False for a missing argument or
// a thread that cannot be started.
bool QueueSearchJob(CCallback* callback, const SSearchParams* params);
// Raises the abort flag. With a wait above 0, waits that long for the thread to
// become idle; a thread that does not is detached and forgotten (the next
// QueueSearchJob starts a new one). A negative wait waits without limit.
void AbortDeviceJobs(int waitMs);
void ClearAbort();
// The abort flag. On a forgotten worker thread always true.
bool IsAbortRequested();
// Signals stop, waits up to `waitMs` for the thread to end, detaches and forgets
// it otherwise, and closes the events. Called at program exit.
void StopDeviceThread(int waitMs = 2000);
// Whether a worker thread is currently recorded (started and not forgotten).
bool IsDeviceThreadRunning();
// Whether the worker thread is waiting for work (the idle event is set).
bool IsDeviceThreadIdle();

}  // namespace Device
