#pragma once
// What the USB streams (bulk pipes and HID probe channels) share: their
// time-outs and the way an operation in progress is ended from another
// thread. Their waits are cut into short slices; between two slices an
// operation looks at Stopped() and ends with what it has.
//
// CancelIo ends the operation in progress; the next operation starts afresh
// (Begin). Interrupt ends it and every later one, for a caller that gives
// the stream up.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "streamio/IoStream.h"

namespace StreamIO {

class CUsbStreamBase : public CIoStream {
  public:
    bool GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) override;
    bool SetTimeouts(std::int32_t readMs, std::int32_t writeMs) override;
    bool CancelIo() override;
    void Interrupt() override;

  protected:
    // Clears a cancel left from an earlier operation.
    void Begin() { m_Cancel.store(false); }
    // The start of a read or a write: no error yet; one the stream cannot
    // make (`ready` false, or not opened for it) raises; then Begin.
    void BeginRead(bool ready);
    void BeginWrite(bool ready);
    // The end of a read: one that brought nothing and met no error met the
    // end of the data. Returns `done`.
    std::size_t EndRead(std::size_t done, std::size_t count);
    // Moves what `buffer` holds from `at` on into `out`, at most `want`
    // bytes; returns how many.
    static std::size_t TakeBuffered(const std::vector<std::uint8_t>& buffer, std::size_t& at, std::uint8_t* out,
                                    std::size_t want);
    bool Stopped() const { return m_Interrupted.load() || m_Cancel.load(); }

    std::int32_t m_ReadMs = 500;
    std::int32_t m_WriteMs = 100;
    std::atomic<bool> m_Cancel{false};
    std::atomic<bool> m_Interrupted{false};
};

}  // namespace StreamIO
