#pragma once
// A worker thread of an update check. Stopping it sets its abort flag and
// waits a bounded time; a thread that has not ended by then is detached and
// left to end on its own (it sees the flag at its next network wait), never
// killed. Everything the work touches must therefore be its own or shared.
#include <atomic>
#include <functional>
#include <memory>

namespace Update {

class CCheckThread {
  public:
    using Work = std::function<void(const std::atomic<bool>& abort)>;

    CCheckThread() = default;
    ~CCheckThread();
    CCheckThread(const CCheckThread&) = delete;
    CCheckThread& operator=(const CCheckThread&) = delete;

    // Stops an earlier thread first. False when no thread could be started.
    bool Start(Work work);
    // True when the thread ended within `waitMs` (or there was none).
    bool Stop(int waitMs = 3000);
    bool IsRunning() const;

  private:
    struct SShared;
    std::shared_ptr<SShared> m_shared;
};

}  // namespace Update
