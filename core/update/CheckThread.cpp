#include "update/CheckThread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace Update {

struct CCheckThread::SShared {
    std::atomic<bool> abort{false};
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::thread thread;
};

CCheckThread::~CCheckThread() {
    Stop();
}

bool CCheckThread::Start(Work work) {
    Stop();
    auto shared = std::make_shared<SShared>();
    try {
        shared->thread = std::thread([shared, work = std::move(work)] {
            try {
                work(shared->abort);
            } catch (...) {
                // A check that fails unexpectedly ends silently.
            }
            std::lock_guard<std::mutex> guard(shared->lock);
            shared->done = true;
            shared->ended.notify_all();
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_shared = std::move(shared);
    return true;
}

bool CCheckThread::Stop(int waitMs) {
    if (!m_shared) return true;
    std::shared_ptr<SShared> shared = std::move(m_shared);
    shared->abort = true;
    bool ended = false;
    {
        std::unique_lock<std::mutex> guard(shared->lock);
        ended =
            shared->ended.wait_for(guard, std::chrono::milliseconds(waitMs), [&] { return shared->done; });
    }
    if (ended)
        shared->thread.join();
    else
        shared->thread.detach();  // it holds its own share of the state
    return ended;
}

bool CCheckThread::IsRunning() const {
    if (!m_shared) return false;
    std::lock_guard<std::mutex> guard(m_shared->lock);
    return !m_shared->done;
}

}  // namespace Update
