#pragma once
// What the USB streams need of the kernel, as two small interfaces: bulk pipes
// of a vendor-class device (libusb) and the reports of a HID device (hidraw).
// The streams hold only these, so that tests put an in-memory peer in the
// kernel's place; the real backends are in LibUsbBackend.cpp and
// HidrawBackend.cpp.
//
// Results carry the stream layer's codes (StreamErrors.h): 0, kErrTimeout for
// a wait that ran out, or the code of a failure.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace StreamIO {

struct SUsbIo {
    std::size_t count = 0;
    std::int32_t code = 0;
};

// One opened vendor-class device with a bulk IN and a bulk OUT endpoint.
class IUsbBulkDevice {
  public:
    virtual ~IUsbBulkDevice() = default;
    // One transfer, waiting at most `ms` (never 0 or negative: the stream
    // slices its time-outs so that a cancel is seen).
    virtual SUsbIo BulkIn(void* buffer, std::size_t count, std::int32_t ms) = 0;
    virtual SUsbIo BulkOut(const void* buffer, std::size_t count, std::int32_t ms) = 0;
    // The largest packet of the IN endpoint: reads ask for multiples of it,
    // so that a device sending a whole packet never overflows a short read.
    virtual std::size_t InPacketSize() const = 0;
    // 0 or the code of a failed release.
    virtual std::int32_t Close() = 0;
};

class IUsbHostBackend {
  public:
    virtual ~IUsbHostBackend() = default;
    // Names of the present devices with the vendor/product pair, in the
    // system's order; empty (never an error) when there are none.
    virtual std::vector<std::string> List(std::uint16_t vendor, std::uint16_t product) = 0;
    // Opens a listed name; nullptr with `code` set when it cannot.
    virtual std::unique_ptr<IUsbBulkDevice> Open(const std::string& name, std::uint16_t vendor,
                                                 std::uint16_t product, std::int32_t& code) = 0;
};

// One opened HID device node.
class IHidDevice {
  public:
    virtual ~IHidDevice() = default;
    // Length of a feature report and of an input report, report number included.
    virtual std::size_t FeatureReportLength() const = 0;
    virtual std::size_t InputReportLength() const = 0;
    // `report[0]` is the report number. 0 or a failure code.
    virtual std::int32_t SetFeature(const std::uint8_t* report, std::size_t length) = 0;
    // Fills `report` (whose [0] names the report) and returns the bytes the
    // device gave, which may be fewer than asked.
    virtual SUsbIo GetFeature(std::uint8_t* report, std::size_t length) = 0;
    // One input report, waiting at most `ms`: kErrTimeout when none came.
    virtual SUsbIo ReadInput(std::uint8_t* report, std::size_t length, std::int32_t ms) = 0;
    virtual std::int32_t Close() = 0;
};

class IHidBackend {
  public:
    virtual ~IHidBackend() = default;
    // Device nodes of present HID devices of the vendor, in the system's order.
    virtual std::vector<std::string> List(std::uint16_t vendor) = 0;
    virtual std::unique_ptr<IHidDevice> Open(const std::string& path, std::int32_t& code) = 0;
};

// The kernel's backends. The hidraw list reads `sysfsRoot` + "/class/hidraw".
std::shared_ptr<IUsbHostBackend> MakeLibUsbBackend();
std::shared_ptr<IHidBackend> MakeHidrawBackend(std::string sysfsRoot = "/sys");

// The vendor number of the HID device list, and the vendor/product pair of
// the bulk-pipe devices: the maker's own.
inline constexpr std::uint16_t kUsbVendorTolvex = 0x2f9c;
inline constexpr std::uint16_t kUsbProductBulk = 0x0101;

// Reads the vendor number from a hidraw node's uevent text ("HID_ID=0003:
// 00002F9C:00000101"); false when the text holds no well-formed HID_ID line.
bool HidVendorFromUevent(std::string_view uevent, std::uint16_t& vendor);

}  // namespace StreamIO
