// The bulk-pipe backend on libusb-1.0. A device is named by its bus and
// device numbers; opening it claims the first interface that has both a bulk
// IN and a bulk OUT endpoint.
#include <libusb-1.0/libusb.h>

#include <cstdio>
#include <mutex>

#include "streamio/StreamErrors.h"
#include "streamio/UsbBackend.h"

namespace StreamIO {
namespace {

std::int32_t CodeOf(int rc) {
    switch (rc) {
        case LIBUSB_SUCCESS:
            return kErrNone;
        case LIBUSB_ERROR_TIMEOUT:
            return kErrTimeout;
        case LIBUSB_ERROR_ACCESS:
            return kErrAccessDenied;
        case LIBUSB_ERROR_NO_DEVICE:
            return kErrDeviceMissing;
        case LIBUSB_ERROR_NOT_FOUND:
            return kErrNotFound;
        case LIBUSB_ERROR_BUSY:
            return kErrBusy;
        case LIBUSB_ERROR_PIPE:
            return kErrBrokenPipe;
        case LIBUSB_ERROR_NO_MEM:
            return kErrOutOfMemory;
        case LIBUSB_ERROR_INVALID_PARAM:
            return kErrInvalidParameter;
        case LIBUSB_ERROR_NOT_SUPPORTED:
            return kErrNotSupported;
        case LIBUSB_ERROR_OVERFLOW:
            return kErrBufferTooSmall;
        default:
            return kErrIoDevice;
    }
}

std::string NameOf(libusb_device* device) {
    char name[32];
    std::snprintf(name, sizeof name, "USB:%03u-%03u", unsigned(libusb_get_bus_number(device)),
                  unsigned(libusb_get_device_address(device)));
    return name;
}

bool Matches(libusb_device* device, std::uint16_t vendor, std::uint16_t product) {
    libusb_device_descriptor d{};
    return libusb_get_device_descriptor(device, &d) == 0 && d.idVendor == vendor && d.idProduct == product;
}

class CLibUsbDevice : public IUsbBulkDevice {
  public:
    CLibUsbDevice(libusb_device_handle* handle, int interface, unsigned char in, unsigned char out,
                  std::size_t packet)
        : m_Handle(handle), m_Interface(interface), m_In(in), m_Out(out), m_Packet(packet) {}
    ~CLibUsbDevice() override { Close(); }

    SUsbIo BulkIn(void* buffer, std::size_t count, std::int32_t ms) override {
        return Transfer(m_In, static_cast<unsigned char*>(buffer), count, ms);
    }
    SUsbIo BulkOut(const void* buffer, std::size_t count, std::int32_t ms) override {
        // libusb takes a non-const buffer for both directions; OUT never writes it.
        return Transfer(m_Out, static_cast<unsigned char*>(const_cast<void*>(buffer)), count, ms);
    }
    std::size_t InPacketSize() const override { return m_Packet; }
    std::int32_t Close() override {
        if (!m_Handle) return kErrNone;
        const int rc = libusb_release_interface(m_Handle, m_Interface);
        libusb_close(m_Handle);
        m_Handle = nullptr;
        return rc == 0 || rc == LIBUSB_ERROR_NO_DEVICE ? kErrNone : CodeOf(rc);
    }

  private:
    SUsbIo Transfer(unsigned char endpoint, unsigned char* data, std::size_t count, std::int32_t ms) {
        int done = 0;
        const int length = static_cast<int>(std::min<std::size_t>(count, 1u << 20));
        const int rc = libusb_bulk_transfer(m_Handle, endpoint, data, length, &done,
                                            static_cast<unsigned>(ms > 0 ? ms : 1));
        return {static_cast<std::size_t>(done > 0 ? done : 0), CodeOf(rc)};
    }

    libusb_device_handle* m_Handle;
    int m_Interface;
    unsigned char m_In;
    unsigned char m_Out;
    std::size_t m_Packet;
};

class CLibUsbBackend : public IUsbHostBackend {
  public:
    ~CLibUsbBackend() override {
        if (m_Context) libusb_exit(m_Context);
    }

    std::vector<std::string> List(std::uint16_t vendor, std::uint16_t product) override {
        std::vector<std::string> names;
        libusb_context* context = Context();
        if (!context) return names;  // no USB on this machine: no devices
        libusb_device** list = nullptr;
        const ssize_t n = libusb_get_device_list(context, &list);
        for (ssize_t i = 0; i < n; ++i)
            if (Matches(list[i], vendor, product)) names.push_back(NameOf(list[i]));
        if (list) libusb_free_device_list(list, 1);
        return names;
    }

    std::unique_ptr<IUsbBulkDevice> Open(const std::string& name, std::uint16_t vendor, std::uint16_t product,
                                         std::int32_t& code) override {
        code = kErrNotFound;
        libusb_context* context = Context();
        if (!context) return nullptr;
        libusb_device** list = nullptr;
        const ssize_t n = libusb_get_device_list(context, &list);
        std::unique_ptr<IUsbBulkDevice> opened;
        for (ssize_t i = 0; i < n && !opened; ++i) {
            // The "USB:" prefix in any letter case, then the bus and device numbers.
            if (name.size() < 4 || NameOf(list[i]).substr(4) != name.substr(4) ||
                !Matches(list[i], vendor, product))
                continue;
            opened = OpenDevice(list[i], code);
            break;
        }
        if (list) libusb_free_device_list(list, 1);
        return opened;
    }

  private:
    libusb_context* Context() {
        std::lock_guard lock(m_Lock);
        if (!m_Tried) {
            m_Tried = true;
            if (libusb_init(&m_Context) != 0) m_Context = nullptr;
        }
        return m_Context;
    }

    static std::unique_ptr<IUsbBulkDevice> OpenDevice(libusb_device* device, std::int32_t& code) {
        libusb_config_descriptor* config = nullptr;
        int rc = libusb_get_active_config_descriptor(device, &config);
        if (rc != 0) {
            code = CodeOf(rc);
            return nullptr;
        }
        int interface = -1;
        unsigned char in = 0, out = 0;
        std::size_t packet = 64;
        for (int i = 0; i < config->bNumInterfaces && interface < 0; ++i) {
            if (config->interface[i].num_altsetting < 1) continue;
            const libusb_interface_descriptor& alt = config->interface[i].altsetting[0];
            unsigned char foundIn = 0, foundOut = 0;
            std::size_t foundPacket = 64;
            for (int e = 0; e < alt.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = alt.endpoint[e];
                if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK) continue;
                if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
                    if (!foundIn) {
                        foundIn = ep.bEndpointAddress;
                        if (ep.wMaxPacketSize > 0) foundPacket = ep.wMaxPacketSize;
                    }
                } else if (!foundOut) {
                    foundOut = ep.bEndpointAddress;
                }
            }
            if (foundIn && foundOut) {
                interface = alt.bInterfaceNumber;
                in = foundIn;
                out = foundOut;
                packet = foundPacket;
            }
        }
        libusb_free_config_descriptor(config);
        if (interface < 0) {
            code = kErrNotSupported;
            return nullptr;
        }
        libusb_device_handle* handle = nullptr;
        rc = libusb_open(device, &handle);
        if (rc != 0) {
            code = CodeOf(rc);
            return nullptr;
        }
        libusb_set_auto_detach_kernel_driver(handle, 1);
        rc = libusb_claim_interface(handle, interface);
        if (rc != 0) {
            libusb_close(handle);
            code = CodeOf(rc);
            return nullptr;
        }
        code = kErrNone;
        return std::make_unique<CLibUsbDevice>(handle, interface, in, out, packet);
    }

    std::mutex m_Lock;
    bool m_Tried = false;
    libusb_context* m_Context = nullptr;
};

}  // namespace

std::shared_ptr<IUsbHostBackend> MakeLibUsbBackend() {
    return std::make_shared<CLibUsbBackend>();
}

}  // namespace StreamIO
