#pragma once
// A device on a vendor-class USB interface with one bulk IN and one bulk OUT
// pipe, reached through libusb. Names are "USB:" with the bus and device
// numbers ("USB:001-004"), as ListUsbHostDevices gives them; the vendor and
// product pair is the maker's bulk device.
//
// Read gathers the missing bytes from the IN pipe until they are complete;
// it ends with 1460 once the read time-out has passed since it began and
// with 38 when the device sends an empty packet. Write is one transfer
// within the write time-out, 1460 when nothing went out. Other failures
// raise with the stream's name. The queue length and the byte rate are not
// known (0), so the protocol engine assumes the bulk rate.
#include <memory>
#include <string>
#include <vector>

#include "streamio/UsbBackend.h"
#include "streamio/UsbStreamBase.h"

namespace StreamIO {

// Whether `name` names a bulk-pipe USB stream ("USB:" in any letter case).
bool IsUsbHostName(std::string_view name);

// The present bulk-pipe devices; empty when there are none or no USB at all.
std::vector<std::string> ListUsbHostDevices();

// The backend every new stream and the device list use (tests replace it;
// nullptr restores the kernel's).
void SetUsbHostBackend(std::shared_ptr<IUsbHostBackend> backend);

class CUsbHostStream : public CUsbStreamBase {
  public:
    CUsbHostStream();
    ~CUsbHostStream() override;

    bool Open(const std::string& name, std::uint32_t flags) override;
    void Close() override;
    bool IsOpen() const override { return m_Device != nullptr; }
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;

  private:
    std::shared_ptr<IUsbHostBackend> m_Backend;
    std::unique_ptr<IUsbBulkDevice> m_Device;
    std::vector<std::uint8_t> m_Rest;  // bytes of the last packet not yet handed out
    std::size_t m_RestAt = 0;
};

}  // namespace StreamIO
