// The USB streams against in-memory peers in the kernel's place: the HID
// report framing (sequence, toggle, consumed flag, partial reports), cancel
// and time-out, the bulk pipes, and the device lists of the real backends on
// a machine without the maker's devices.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "core/text/TempDir.h"
#include "streamio/FileException.h"
#include "streamio/HidReport.h"
#include "streamio/StreamErrors.h"
#include "streamio/StreamFactory.h"
#include "streamio/UsbHostProbe.h"
#include "streamio/UsbHostProbeManager.h"
#include "streamio/UsbHostStream.h"

using namespace StreamIO;

namespace {

constexpr std::uint32_t kReadWrite = kOpenRead | kOpenWrite;

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first = 0) {
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(first + i);
    return out;
}

// A HID device as the firmware would be: it offers its outgoing bytes in
// control reports one at a time, moving on only when the host has said it
// took the current one, and consumes what the host sets.
class CHidPeer : public IHidDevice {
  public:
    explicit CHidPeer(std::size_t length = 16) : m_Length(length) {}

    std::size_t FeatureReportLength() const override { return m_Length; }
    std::size_t InputReportLength() const override { return m_Length; }

    std::int32_t SetFeature(const std::uint8_t* report, std::size_t length) override {
        std::lock_guard lock(m_Lock);
        const auto decoded = DecodeHidControl({report, length});
        if (!decoded) {
            ++badReports;
            return kErrNone;
        }
        const SHidStatus s = decoded->status;
        if (s.consumed && m_Offering && s.toggle == m_OutSequence) {
            m_Offering = false;
            m_StaleLeft = stalePolls;
        }
        if (s.data) {
            hostSequences.push_back(s.sequence);
            if (consume) {
                if (!m_HaveIn || s.sequence != m_LastIn)
                    received.insert(received.end(), decoded->payload.begin(), decoded->payload.end());
                m_HaveIn = true;
                m_LastIn = s.sequence;
            }
        }
        return kErrNone;
    }

    SUsbIo GetFeature(std::uint8_t* report, std::size_t length) override {
        std::lock_guard lock(m_Lock);
        ++polls;
        if (!raw.empty()) {
            const std::vector<std::uint8_t> r = raw.front();
            raw.pop_front();
            std::copy_n(r.begin(), std::min(r.size(), length), report);
            return {std::min(r.size(), length), kErrNone};
        }
        SHidStatus s;
        s.consumed = m_HaveIn && consume;
        s.toggle = static_cast<std::uint8_t>(m_LastIn + wrongToggle);
        const bool stale = m_StaleLeft > 0;
        if (!m_Offering && !stale && !outgoing.empty()) {
            const std::size_t n = std::min(outgoing.size(), std::min(chunk, HidControlCapacity(m_Length)));
            m_Current.assign(outgoing.begin(), outgoing.begin() + static_cast<std::ptrdiff_t>(n));
            outgoing.erase(outgoing.begin(), outgoing.begin() + static_cast<std::ptrdiff_t>(n));
            m_OutSequence = NextHidSequence(m_OutSequence);
            m_Offering = true;
            offered.push_back(m_OutSequence);
        }
        if (stale) --m_StaleLeft;
        s.data = m_Offering || stale;
        s.sequence = m_OutSequence;
        const auto r = EncodeHidControl(m_Length, s, m_Current);
        std::copy_n(r.begin(), std::min(r.size(), length), report);
        return {std::min(r.size(), length), kErrNone};
    }

    SUsbIo ReadInput(std::uint8_t* report, std::size_t length, std::int32_t) override {
        std::lock_guard lock(m_Lock);
        if (inputs.empty()) return {0, kErrTimeout};
        const std::vector<std::uint8_t> r = inputs.front();
        inputs.pop_front();
        std::copy_n(r.begin(), std::min(r.size(), length), report);
        return {std::min(r.size(), length), kErrNone};
    }

    std::int32_t Close() override {
        ++closes;
        return kErrNone;
    }

    int Polls() {
        std::lock_guard lock(m_Lock);
        return polls;
    }

    // Settings and records of the test.
    std::vector<std::uint8_t> outgoing;            // device -> host on the control channel
    std::size_t chunk = 63;                        // payload per report the device offers
    int stalePolls = 0;                            // polls that still show the taken report
    bool consume = true;                           // whether host reports are taken
    std::uint8_t wrongToggle = 0;                  // acknowledges the wrong report when not 0
    std::deque<std::vector<std::uint8_t>> raw;     // reports handed out before the framing's own
    std::deque<std::vector<std::uint8_t>> inputs;  // input reports of the data channel
    std::vector<std::uint8_t> received;
    std::vector<std::uint8_t> hostSequences;
    std::vector<std::uint8_t> offered;
    int polls = 0;
    int badReports = 0;
    std::atomic<int> closes{0};

  private:
    std::mutex m_Lock;
    std::size_t m_Length;
    std::vector<std::uint8_t> m_Current;
    bool m_Offering = false;
    int m_StaleLeft = 0;
    std::uint8_t m_OutSequence = 7;
    bool m_HaveIn = false;
    std::uint8_t m_LastIn = 0;
};

// Hands the same peer out for every open of its node, as the kernel hands out
// descriptors of one device.
class CHidPeerBackend : public IHidBackend {
  public:
    explicit CHidPeerBackend(std::shared_ptr<CHidPeer> peer) : m_Peer(std::move(peer)) {}
    std::vector<std::string> List(std::uint16_t) override { return {"/peer/hid0"}; }
    std::unique_ptr<IHidDevice> Open(const std::string& path, std::int32_t& code) override {
        if (path != "/peer/hid0") {
            code = kErrNotFound;
            return nullptr;
        }
        ++opens;
        code = kErrNone;
        return std::make_unique<CForward>(m_Peer);
    }
    int opens = 0;

  private:
    struct CForward : IHidDevice {
        explicit CForward(std::shared_ptr<CHidPeer> p) : peer(std::move(p)) {}
        std::size_t FeatureReportLength() const override { return peer->FeatureReportLength(); }
        std::size_t InputReportLength() const override { return peer->InputReportLength(); }
        std::int32_t SetFeature(const std::uint8_t* r, std::size_t n) override {
            return peer->SetFeature(r, n);
        }
        SUsbIo GetFeature(std::uint8_t* r, std::size_t n) override { return peer->GetFeature(r, n); }
        SUsbIo ReadInput(std::uint8_t* r, std::size_t n, std::int32_t ms) override {
            return peer->ReadInput(r, n, ms);
        }
        std::int32_t Close() override { return peer->Close(); }
        std::shared_ptr<CHidPeer> peer;
    };
    std::shared_ptr<CHidPeer> m_Peer;
};

class HidProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend = std::make_shared<CHidPeerBackend>(peer);
        CUsbHostProbeManager::Instance().SetBackend(backend);
    }
    void TearDown() override { CUsbHostProbeManager::Instance().SetBackend(nullptr); }

    void OpenControl(CUsbHostProbeControl& control) {
        ASSERT_TRUE(control.Open("HID:/peer/hid0", kReadWrite));
        control.SetPollInterval(0);
        control.SetTimeouts(-1, -1);
    }

    std::shared_ptr<CHidPeer> peer = std::make_shared<CHidPeer>();
    std::shared_ptr<CHidPeerBackend> backend;
};

std::vector<std::uint8_t> DataReport(std::uint8_t sequence, bool data, std::vector<std::uint8_t> payload,
                                     std::size_t length = 16) {
    SHidStatus s;
    s.data = data;
    s.sequence = sequence;
    std::vector<std::uint8_t> r(length, 0);
    r[0] = kHidDataReport;
    r[1] = EncodeHidStatus(s);
    std::copy_n(payload.begin(), std::min(payload.size(), length - 2), r.begin() + 2);
    return r;
}

}  // namespace

TEST(HidReport, StatusBitsAndHeaderChecks) {
    struct StatusCase {
        SHidStatus status;
        std::uint8_t byte;
    };
    const StatusCase statuses[] = {
        {{false, false, 0, 0}, 0x00}, {{true, false, 0, 0}, 0x80},  {{false, true, 0, 0}, 0x40},
        {{false, false, 7, 0}, 0x38}, {{false, false, 0, 7}, 0x07}, {{true, true, 5, 2}, 0xEA},
    };
    for (const StatusCase& c : statuses) {
        SCOPED_TRACE(int(c.byte));
        EXPECT_EQ(EncodeHidStatus(c.status), c.byte);
        const SHidStatus back = DecodeHidStatus(c.byte);
        EXPECT_EQ(back.consumed, c.status.consumed);
        EXPECT_EQ(back.data, c.status.data);
        EXPECT_EQ(back.sequence, c.status.sequence);
        EXPECT_EQ(back.toggle, c.status.toggle);
    }
    EXPECT_EQ(NextHidSequence(6), 7);
    EXPECT_EQ(NextHidSequence(7), 0);

    // Received control reports: what is refused before its payload is read.
    struct ReportCase {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool valid;
        std::size_t payload;
    };
    const ReportCase reports[] = {
        {"empty", {}, false, 0},
        {"header cut short", {kHidControlReport, 0x40}, false, 0},
        {"another report", {kHidDataReport, 0x40, 0}, false, 0},
        {"length beyond the report", {kHidControlReport, 0x40, 3, 'a', 'b'}, false, 0},
        {"length with high bits", {kHidControlReport, 0x40, 0x41, 'a'}, false, 0},
        {"length that fits", {kHidControlReport, 0x40, 2, 'a', 'b', 0}, true, 2},
        {"no data flag: no payload", {kHidControlReport, 0x00, 2, 'a', 'b'}, true, 0},
        {"header only", {kHidControlReport, 0x80, 0}, true, 0},
    };
    for (const ReportCase& c : reports) {
        SCOPED_TRACE(c.what);
        const auto r = DecodeHidControl(c.bytes);
        ASSERT_EQ(r.has_value(), c.valid);
        if (r) {
            EXPECT_EQ(r->payload.size(), c.payload);
        }
    }
    EXPECT_FALSE(DecodeHidData(std::vector<std::uint8_t>{kHidDataReport}));
    EXPECT_EQ(HidControlCapacity(3), 0u);
    EXPECT_EQ(HidControlCapacity(16), 13u);
    EXPECT_EQ(HidControlCapacity(200), 63u);  // six bits of length
}

TEST_F(HidProbeTest, ReadsAcrossReportsInPiecesWhileTheSequenceWraps) {
    // 20 reports of 13 bytes: the sequence goes round more than twice, and
    // reads of 5 bytes cut every report.
    peer->outgoing = Bytes(20 * 13, 1);
    peer->stalePolls = 2;  // the firmware shows a taken report a little longer
    CUsbHostProbeControl control;
    OpenControl(control);
    std::vector<std::uint8_t> got;
    while (got.size() < 20 * 13) {
        std::uint8_t piece[5];
        const std::size_t n = control.Read(piece, std::min<std::size_t>(5, 20 * 13 - got.size()));
        ASSERT_GT(n, 0u);
        got.insert(got.end(), piece, piece + n);
    }
    EXPECT_EQ(got, Bytes(20 * 13, 1));  // no report lost, none taken twice
    ASSERT_EQ(peer->offered.size(), 20u);
    EXPECT_EQ(peer->offered[7], 7);
    EXPECT_EQ(peer->offered[8], 0);
}

TEST_F(HidProbeTest, WritesCountOnlyWhatTheDeviceConsumed) {
    CUsbHostProbeControl control;
    OpenControl(control);
    const auto data = Bytes(10 * 13 + 4, 9);
    EXPECT_EQ(control.Write(data.data(), data.size()), data.size());
    EXPECT_EQ(peer->received, data);
    // Eleven reports, numbered on round the wrap.
    const std::vector<std::uint8_t> expected = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2};
    EXPECT_EQ(peer->hostSequences, expected);
    EXPECT_EQ(peer->badReports, 0);

    // A device that does not take the report, or acknowledges another one:
    // the write times out with nothing counted.
    for (std::uint8_t wrong : {0, 1}) {
        SCOPED_TRACE(int(wrong));
        peer->consume = wrong != 0;
        peer->wrongToggle = wrong;
        control.SetTimeouts(-1, 30);
        std::uint8_t byte = 0x55;
        EXPECT_EQ(control.Write(&byte, 1), 0u);
        EXPECT_EQ(control.GetLastError(), kErrTimeout);
    }
}

TEST_F(HidProbeTest, ReadEndsByTimeOutOrCancel) {
    CUsbHostProbeControl control;
    OpenControl(control);
    control.SetTimeouts(30, 30);
    std::uint8_t buffer[4];
    EXPECT_EQ(control.Read(buffer, 4), 0u);
    EXPECT_EQ(control.GetLastError(), kErrTimeout);

    // No time-out at all: only a cancel from another thread ends the read.
    control.SetTimeouts(-1, -1);
    std::size_t got = 99;
    const int before = peer->Polls();
    std::thread reader([&] { got = control.Read(buffer, 4); });
    while (peer->Polls() < before + 50) std::this_thread::yield();
    control.CancelIo();
    reader.join();
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(control.GetLastError(), kErrEndOfData);

    // The cancel ended that read only.
    peer->outgoing = {'o', 'k'};
    EXPECT_EQ(control.Read(buffer, 2), 2u);
}

TEST_F(HidProbeTest, ABrokenReportRaisesWithTheStreamName) {
    CUsbHostProbeControl control;
    OpenControl(control);
    peer->raw.push_back({kHidControlReport, 0x40, 60, 'x'});  // claims 60 bytes in 16
    std::uint8_t buffer[4];
    try {
        control.Read(buffer, 4);
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.Code(), kErrUnexpected);
        EXPECT_EQ(e.StreamName(), "HID:/peer/hid0");
    }
}

TEST_F(HidProbeTest, DataChannelTakesInputReportsInSequence) {
    peer->inputs = {DataReport(0, true, Bytes(14, 0)), DataReport(5, false, {}),
                    DataReport(1, true, Bytes(14, 14)), DataReport(3, true, Bytes(14, 28))};
    CUsbHostProbeData data;
    ASSERT_TRUE(data.Open("HID:/peer/hid0", kOpenRead));
    data.SetPollInterval(0);
    data.SetTimeouts(-1, -1);
    std::vector<std::uint8_t> got(20);
    EXPECT_EQ(data.Read(got.data(), 20), 20u);  // across a report without data
    EXPECT_EQ(got, Bytes(20, 0));
    EXPECT_EQ(data.GetInputCount(), 8u);
    std::uint8_t rest[8];
    EXPECT_EQ(data.Read(rest, 8), 8u);
    // Report 2 went missing.
    std::uint8_t more[1];
    EXPECT_THROW(data.Read(more, 1), CFileException);
    EXPECT_THROW(data.Write(more, 1), CFileException);
}

TEST_F(HidProbeTest, ChannelsShareOneHandleUntilBothLetGo) {
    CUsbHostProbeManager& manager = CUsbHostProbeManager::Instance();
    auto control = CreateStream("hid:/peer/hid0", kReadWrite);
    ASSERT_NE(dynamic_cast<CUsbHostProbeControl*>(control.get()), nullptr);
    CUsbHostProbeData data;
    data.Open("HID:/peer/hid0", kOpenRead);
    EXPECT_EQ(backend->opens, 2);  // the shared handle and the data channel's input handle
    ASSERT_NE(manager.Find("/peer/hid0"), nullptr);
    control->Close();
    EXPECT_NE(manager.Find("/peer/hid0"), nullptr);
    data.Close();
    EXPECT_EQ(manager.Find("/peer/hid0"), nullptr);
    EXPECT_EQ(peer->closes.load(), 2);
    EXPECT_THROW(CreateStream("HID:/peer/none", kReadWrite), CFileException);
}

TEST_F(HidProbeTest, OpenRefusesReportsTooShortAndLetsTheDeviceGo) {
    // Two bytes leave no room for a payload behind either channel's header.
    peer = std::make_shared<CHidPeer>(2);
    backend = std::make_shared<CHidPeerBackend>(peer);
    CUsbHostProbeManager::Instance().SetBackend(backend);
    CUsbHostProbeControl control;
    CUsbHostProbeData data;
    for (CIoStream* stream : std::initializer_list<CIoStream*>{&control, &data}) {
        SCOPED_TRACE(stream == &control ? "control" : "data");
        EXPECT_THROW(stream->Open("HID:/peer/hid0", kOpenRead), CFileException);
        EXPECT_EQ(stream->GetLastError(), kErrUnexpected);
        EXPECT_FALSE(stream->IsOpen());
        EXPECT_EQ(CUsbHostProbeManager::Instance().Find("/peer/hid0"), nullptr);
        EXPECT_EQ(peer->closes.load(), backend->opens);  // every handle it took is closed
    }
}

TEST_F(HidProbeTest, OpeningAnOpenChannelAgainIsRefusedWithoutRaising) {
    CUsbHostProbeControl control;
    CUsbHostProbeData data;
    for (CIoStream* stream : std::initializer_list<CIoStream*>{&control, &data}) {
        SCOPED_TRACE(stream == &control ? "control" : "data");
        ASSERT_TRUE(stream->Open("HID:/peer/hid0", kOpenRead));
        const int opens = backend->opens;
        EXPECT_FALSE(stream->Open("HID:/peer/hid0", kOpenRead));
        EXPECT_EQ(stream->GetLastError(), kErrNotSupported);
        EXPECT_TRUE(stream->IsOpen());
        EXPECT_EQ(backend->opens, opens);
    }
    control.Close();
    data.Close();
    EXPECT_EQ(CUsbHostProbeManager::Instance().Find("/peer/hid0"), nullptr);
    EXPECT_EQ(peer->closes.load(), backend->opens);
}

TEST(HidProbeManager, OnlyTheTimeOutAndTheCloseEventEndAWait) {
    CUsbHostProbeManager& manager = CUsbHostProbeManager::Instance();
    EXPECT_EQ(manager.WaitForDeviceEvent(5), kDeviceEventTimeout);
    int result = 0;
    std::thread waiter([&] { result = manager.WaitForDeviceEvent(-1); });
    while (manager.WaitingThreads() == 0) std::this_thread::yield();
    manager.SignalClose();
    waiter.join();
    EXPECT_EQ(result, kDeviceEventClose);
    EXPECT_EQ(manager.WaitForDeviceEvent(5), kDeviceEventClose);  // manual reset
    manager.ResetClose();
    EXPECT_EQ(manager.WaitForDeviceEvent(0), kDeviceEventTimeout);
}

TEST(HidrawDevices, VendorFromSysfsAndNoDevicesIsAnEmptyList) {
    struct Case {
        const char* uevent;
        bool valid;
        std::uint16_t vendor;
    };
    const Case cases[] = {
        {"DRIVER=hid-generic\nHID_ID=0003:00002F9C:00000101\nHID_NAME=x\n", true, 0x2f9c},
        {"HID_ID=0005:0000046D:0000B01A", true, 0x046d},
        {"HID_ID=0003:2f9c:1", true, 0x2f9c},
        {"HID_ID=0003:00012F9C:00000101\n", false, 0},  // beyond 16 bits
        {"HID_ID=0003:00002F9C\n", false, 0},           // no product
        {"HID_ID=0003::0101\n", false, 0},
        {"HID_ID=0003:0000ZZ9C:00000101\n", false, 0},
        {"HID_NAME=no id\n", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uevent);
        std::uint16_t vendor = 0;
        ASSERT_EQ(HidVendorFromUevent(c.uevent, vendor), c.valid);
        if (c.valid) {
            EXPECT_EQ(vendor, c.vendor);
        }
    }

    CTempDir sys;
    sys.Write("class/hidraw/hidraw10/device/uevent", "HID_ID=0003:00002F9C:00000101\n");
    sys.Write("class/hidraw/hidraw2/device/uevent", "HID_ID=0003:00002F9C:00000102\n");
    sys.Write("class/hidraw/hidraw0/device/uevent", "HID_ID=0003:0000046D:0000C52B\n");
    sys.Write("class/hidraw/hidraw3/device/uevent", "HID_ID=garbage\n");
    sys.Write("class/hidraw/hidraw4/device/uevent", std::string(10000, 'H'));
    const std::vector<std::string> expected = {"/dev/hidraw2", "/dev/hidraw10"};
    EXPECT_EQ(MakeHidrawBackend(sys.Path().string())->List(kUsbVendorTolvex), expected);
    EXPECT_TRUE(MakeHidrawBackend((sys / "missing").string())->List(kUsbVendorTolvex).empty());
    // The machine's own: none of the maker's devices is attached here.
    CUsbHostProbeManager::Instance().SetBackend(nullptr);
    EXPECT_TRUE(ListUsbProbeDevices().empty());
}

namespace {

// A bulk device whose IN pipe hands out queued packets.
class CBulkPeer : public IUsbBulkDevice {
  public:
    SUsbIo BulkIn(void* buffer, std::size_t count, std::int32_t) override {
        ++transfers;
        if (silent) return {0, kErrTimeout};
        asks.push_back(count);
        if (packets.empty()) return {0, kErrTimeout};
        std::vector<std::uint8_t> p = packets.front();
        packets.pop_front();
        // A real device would overflow a request shorter than its packet.
        if (p.size() > count) return {0, kErrBufferTooSmall};
        std::copy(p.begin(), p.end(), static_cast<std::uint8_t*>(buffer));
        return {p.size(), kErrNone};
    }
    SUsbIo BulkOut(const void* buffer, std::size_t count, std::int32_t) override {
        if (stalled) return {0, kErrTimeout};
        const auto* b = static_cast<const std::uint8_t*>(buffer);
        written.insert(written.end(), b, b + count);
        return {count, kErrNone};
    }
    std::size_t InPacketSize() const override { return 8; }
    std::int32_t Close() override { return kErrNone; }

    std::deque<std::vector<std::uint8_t>> packets;
    std::vector<std::size_t> asks;
    std::vector<std::uint8_t> written;
    bool stalled = false;
    // Set before a reader thread starts: the IN pipe then only times out.
    bool silent = false;
    std::atomic<int> transfers{0};
};

class CBulkBackend : public IUsbHostBackend {
  public:
    std::vector<std::string> List(std::uint16_t, std::uint16_t) override { return {"USB:001-002"}; }
    std::unique_ptr<IUsbBulkDevice> Open(const std::string& name, std::uint16_t, std::uint16_t,
                                         std::int32_t& code) override {
        if (!next || name.size() < 4 || name.substr(4) != "001-002") {
            code = kErrAccessDenied;
            return nullptr;
        }
        code = kErrNone;
        return std::move(next);
    }
    std::unique_ptr<CBulkPeer> next;
};

// The bulk streams of a test open `peer`, once.
class UsbHostStream : public ::testing::Test {
  protected:
    void SetUp() override { SetUsbHostBackend(backend); }
    void TearDown() override { SetUsbHostBackend(nullptr); }

    std::shared_ptr<CBulkBackend> backend = std::make_shared<CBulkBackend>();
    CBulkPeer& peer = *(backend->next = std::make_unique<CBulkPeer>());
};

}  // namespace

TEST_F(UsbHostStream, BulkPipesGatherPacketsAndTimeOut) {
    peer.packets = {Bytes(8, 0), Bytes(8, 8), {}, Bytes(3, 16)};
    auto stream = CreateStream("usb:001-002", kReadWrite);
    ASSERT_NE(dynamic_cast<CUsbHostStream*>(stream.get()), nullptr);
    stream->SetTimeouts(40, 40);

    std::vector<std::uint8_t> got(3);
    EXPECT_EQ(stream->Read(got.data(), 3), 3u);  // asks a whole packet, keeps the rest
    EXPECT_EQ(peer.asks.front(), 8u);
    got.resize(13);
    EXPECT_EQ(stream->Read(got.data(), 13), 13u);
    EXPECT_EQ(got, Bytes(13, 3));
    // An empty packet ends the read with 38; silence with 1460.
    EXPECT_EQ(stream->Read(got.data(), 5), 0u);
    EXPECT_EQ(stream->GetLastError(), kErrEndOfData);
    EXPECT_EQ(stream->Read(got.data(), 5), 3u);
    EXPECT_EQ(stream->GetLastError(), kErrTimeout);

    const auto out = Bytes(5, 1);
    EXPECT_EQ(stream->Write(out.data(), 5), 5u);
    EXPECT_EQ(peer.written, out);
    peer.stalled = true;
    EXPECT_EQ(stream->Write(out.data(), 5), 0u);
    EXPECT_EQ(stream->GetLastError(), kErrTimeout);
    stream->Close();

    EXPECT_THROW(CreateStream("USB:001-002", kReadWrite), CFileException);  // no device left to open
    SetUsbHostBackend(nullptr);
    // libusb on this machine: no device of the maker, and no error either.
    EXPECT_TRUE(ListUsbHostDevices().empty());
}

TEST_F(UsbHostStream, CancelEndsOneTransferAndInterruptEveryLater) {
    auto stream = CreateStream("USB:001-002", kReadWrite);

    // No time-out at all: only a cancel from another thread ends the read.
    stream->SetTimeouts(-1, -1);
    peer.silent = true;
    std::vector<std::uint8_t> got(4);
    std::size_t n = 99;
    std::thread reader([&] { n = stream->Read(got.data(), 4); });
    while (peer.transfers.load() < 50) std::this_thread::yield();
    EXPECT_TRUE(stream->CancelIo());
    reader.join();
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(stream->GetLastError(), kErrEndOfData);

    // The cancel ended that read only.
    peer.silent = false;
    peer.packets = {Bytes(4, 0)};
    EXPECT_EQ(stream->Read(got.data(), 4), 4u);

    // An interrupt ends every later transfer before it asks the device.
    stream->Interrupt();
    peer.packets = {Bytes(4, 0)};
    const int before = peer.transfers.load();
    EXPECT_EQ(stream->Read(got.data(), 4), 0u);
    EXPECT_EQ(stream->GetLastError(), kErrEndOfData);
    EXPECT_EQ(stream->Write(got.data(), 4), 0u);
    EXPECT_EQ(stream->GetLastError(), kErrTimeout);
    EXPECT_EQ(peer.transfers.load(), before);
    EXPECT_TRUE(peer.written.empty());
}
