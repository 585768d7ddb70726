// The HID backend on Linux hidraw nodes: feature reports through
// HIDIOCSFEATURE/HIDIOCGFEATURE, input reports by read(), and the device list
// from sysfs (/sys/class/hidraw/<node>/device/uevent names the vendor).
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "streamio/StreamErrors.h"
#include "streamio/UsbBackend.h"

namespace StreamIO {
namespace {

// The reports of the maker's HID devices are 64 bytes, report number
// included, on both channels: the firmware fixes them, so the report
// descriptor need not be read.
constexpr std::size_t kReportLength = 64;
// A uevent file is a few lines; anything longer is not one.
constexpr std::size_t kMaxUevent = 4096;

bool HexValue(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return true;
}

class CHidrawDevice : public IHidDevice {
  public:
    explicit CHidrawDevice(int fd) : m_Fd(fd) {}
    ~CHidrawDevice() override { Close(); }

    std::size_t FeatureReportLength() const override { return kReportLength; }
    std::size_t InputReportLength() const override { return kReportLength; }

    std::int32_t SetFeature(const std::uint8_t* report, std::size_t length) override {
        if (::ioctl(m_Fd, HIDIOCSFEATURE(length), report) < 0) return ErrorFromErrno(errno);
        return kErrNone;
    }
    SUsbIo GetFeature(std::uint8_t* report, std::size_t length) override {
        const int n = ::ioctl(m_Fd, HIDIOCGFEATURE(length), report);
        if (n < 0) return {0, ErrorFromErrno(errno)};
        return {std::min(static_cast<std::size_t>(n), length), kErrNone};
    }
    SUsbIo ReadInput(std::uint8_t* report, std::size_t length, std::int32_t ms) override {
        pollfd p{m_Fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, ms < 0 ? -1 : ms);
        if (ready < 0) return {0, errno == EINTR ? kErrTimeout : ErrorFromErrno(errno)};
        if (ready == 0) return {0, kErrTimeout};
        const ssize_t n = ::read(m_Fd, report, length);
        if (n < 0) return {0, ErrorFromErrno(errno)};
        return {static_cast<std::size_t>(n), kErrNone};
    }
    std::int32_t Close() override {
        if (m_Fd < 0) return kErrNone;
        const int rc = ::close(m_Fd);
        m_Fd = -1;
        return rc == 0 ? kErrNone : ErrorFromErrno(errno);
    }

  private:
    int m_Fd;
};

class CHidrawBackend : public IHidBackend {
  public:
    explicit CHidrawBackend(std::string sysfs) : m_Sysfs(std::move(sysfs)) {}

    std::vector<std::string> List(std::uint16_t vendor) override {
        namespace fs = std::filesystem;
        std::vector<std::string> nodes;
        std::error_code ec;
        const fs::path root = fs::path(m_Sysfs) / "class" / "hidraw";
        for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string node = it->path().filename().string();
            std::ifstream file(it->path() / "device" / "uevent", std::ios::binary);
            if (!file) continue;
            std::string text(kMaxUevent + 1, '\0');
            file.read(text.data(), static_cast<std::streamsize>(text.size()));
            text.resize(static_cast<std::size_t>(file.gcount()));
            std::uint16_t found = 0;
            if (text.size() > kMaxUevent || !HidVendorFromUevent(text, found) || found != vendor) continue;
            nodes.push_back("/dev/" + node);
        }
        // Directory order is no order: hidraw2 before hidraw10.
        std::sort(nodes.begin(), nodes.end(), [](const std::string& a, const std::string& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        return nodes;
    }

    std::unique_ptr<IHidDevice> Open(const std::string& path, std::int32_t& code) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            code = ErrorFromErrno(errno);
            return nullptr;
        }
        code = kErrNone;
        return std::make_unique<CHidrawDevice>(fd);
    }

  private:
    std::string m_Sysfs;
};

}  // namespace

bool HidVendorFromUevent(std::string_view uevent, std::uint16_t& vendor) {
    constexpr std::string_view key = "HID_ID=";
    std::size_t at = 0;
    while (at < uevent.size()) {
        std::size_t end = uevent.find('\n', at);
        if (end == std::string_view::npos) end = uevent.size();
        std::string_view line = uevent.substr(at, end - at);
        at = end + 1;
        if (line.size() < key.size() || line.substr(0, key.size()) != key) continue;
        line.remove_prefix(key.size());
        // bus:vendor:product, each in hexadecimal.
        const std::size_t first = line.find(':');
        if (first == std::string_view::npos) return false;
        const std::size_t second = line.find(':', first + 1);
        if (second == std::string_view::npos) return false;
        std::uint32_t bus = 0, id = 0, product = 0;
        if (!HexValue(line.substr(0, first), bus) ||
            !HexValue(line.substr(first + 1, second - first - 1), id) ||
            !HexValue(line.substr(second + 1), product) || id > 0xFFFF)
            return false;
        vendor = static_cast<std::uint16_t>(id);
        return true;
    }
    return false;
}

std::shared_ptr<IHidBackend> MakeHidrawBackend(std::string sysfsRoot) {
    return std::make_shared<CHidrawBackend>(std::move(sysfsRoot));
}

}  // namespace StreamIO
