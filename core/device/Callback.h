#pragma once
// The device callback interface: how device work reports to whoever waits for it.
//
// A search reports on the device worker thread; the transfers of a connected
// hammer report on the thread that runs them. Implementations that drive a user
// interface must therefore not touch windows directly from these calls.
#include <atomic>
#include <memory>
#include <string>

namespace Device {

class CZvDevice;

class CCallback {
  public:
    CCallback() = default;
    virtual ~CCallback() = default;
    CCallback(const CCallback&) = delete;
    CCallback& operator=(const CCallback&) = delete;

    // A device found by a search; the receiver becomes its owner (dropping the
    // pointer deletes the device and closes its port). An empty pointer means the
    // search has ended.
    virtual void OnDevice(std::unique_ptr<CZvDevice> device) { (void)device; }
    // A new status text; it replaces the previous one.
    virtual void OnStatus(const std::u16string& text) { (void)text; }
    // Final text and code of an update job (code 0 and an empty text on success).
    virtual void OnFinished(const std::u16string& text, int code) {
        (void)text;
        (void)code;
    }
    // percent 0 to 100; phase 1 for transfers and mode changes, 2 while the device
    // programs; timeHintMs how long the phase is expected to take (0 unknown).
    // Only called while progress is enabled.
    virtual void OnProgress(int percent, int phase, int timeHintMs) {
        (void)percent;
        (void)phase;
        (void)timeHintMs;
    }

    // Set by the implementer (and by an update job for its short transfers);
    // senders call OnProgress only while it is set.
    bool IsProgressEnabled() const { return m_ProgressEnabled.load(std::memory_order_relaxed); }
    void SetProgressEnabled(bool enabled) { m_ProgressEnabled.store(enabled, std::memory_order_relaxed); }

  private:
    std::atomic<bool> m_ProgressEnabled{false};
};

}  // namespace Device
