// The device search over pseudo-terminals: which ports are tried, the status
// texts, the hand-over, abort.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <span>
#include <thread>

#include "E2eSupport.h"
#include "SearchFakeHammer.h"
#include "core/text/TempDir.h"
#include "device/Callback.h"
#include "device/DeviceSearch.h"
#include "device/DeviceThread.h"
#include "device/PortTable.h"
#include "device/TrafficLog.h"
#include "streamio/FileException.h"
#include "streamio/Rs232Stream.h"
#include "streamio/StreamErrors.h"
#include "streamio/UsbHostStream.h"
#include "text/Encoding.h"

using namespace Device;

namespace {

class CSearchRecorder : public CCallback {
  public:
    void OnDevice(std::unique_ptr<CZvDevice> device) override {
        std::lock_guard lock(m_Lock);
        if (device) {
            devices.push_back(std::move(device));
        } else {
            ++ends;
        }
    }
    void OnStatus(const std::u16string& text) override {
        std::lock_guard lock(m_Lock);
        statuses.push_back(Text::ToUtf8(text));
    }
    bool AnyStatusContains(const std::string& part) {
        std::lock_guard lock(m_Lock);
        for (const std::string& s : statuses) {
            if (s.find(part) != std::string::npos) return true;
        }
        return false;
    }
    std::vector<std::string> Statuses() {
        std::lock_guard lock(m_Lock);
        return statuses;
    }
    int Ends() {
        std::lock_guard lock(m_Lock);
        return ends;
    }
    std::size_t DeviceCount() {
        std::lock_guard lock(m_Lock);
        return devices.size();
    }

    std::vector<std::unique_ptr<CZvDevice>> devices;

  private:
    std::mutex m_Lock;
    std::vector<std::string> statuses;
    int ends = 0;
};

// Whether another program could open the port now (nobody holds it).
bool PortIsFree(const std::string& path) {
    StreamIO::CRs232Stream probe;
    try {
        return probe.OpenPath(path, StreamIO::kOpenRead | StreamIO::kOpenWrite, nullptr);
    } catch (const StreamIO::CFileException&) {
        return false;
    }
}

// Every byte the engines exchanged, received bytes only, in the order logged.
class CReceivedLog : public ITrafficLog {
  public:
    void OnTraffic(ETrafficDirection direction, std::int64_t, std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(m_Lock);
        if (direction == ETrafficDirection::Received) m_Text.append(bytes.begin(), bytes.end());
    }
    std::string Text() {
        std::lock_guard lock(m_Lock);
        return m_Text;
    }

  private:
    std::mutex m_Lock;
    std::string m_Text;
};

bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 10000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

class SearchTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearAbort(); }
    void TearDown() override { CPortTable::SetCurrent(std::nullopt); }

    // Port n of the table is ports[n - 1]; empty entries become missing paths.
    void UseTable(const std::vector<std::string>& ports) {
        std::string text;
        for (std::size_t i = 0; i < ports.size(); ++i) {
            const std::string path =
                ports[i].empty() ? (missing / ("tty" + std::to_string(i + 1))).string() : ports[i];
            text += std::to_string(i + 1) + "=" + path + ";";
        }
        CPortTable::SetCurrent(CPortTable::Parse(text));
    }

    SJobEntry Job(bool scan, bool stopAfterFirst, int port = 1, int skipped = -1) {
        SJobEntry job;
        job.JobType = JobSearch;
        job.Callback = &recorder;
        job.DeviceType = TypeVantrel;
        job.PortType = PortSerial;
        job.Scan = scan;
        job.StopAfterFirst = stopAfterFirst;
        job.PortNumber = port;
        job.SkippedPort = skipped;
        job.Factory = [](int type) -> std::unique_ptr<CZvDevice> {
            return type == TypeVantrel ? std::make_unique<CTestDevice>() : nullptr;
        };
        return job;
    }

    CTempDir missing;
    CSearchRecorder recorder;
};

}  // namespace

TEST_F(SearchTest, ScanTriesOnlyPortsThatExist) {
    CFakeHammer hammer(CFakeHammer::EMode::Hammer);
    UseTable({"", "", "", "", "", "", "", "", hammer.Path()});
    RunSearchJob(Job(true, true));

    ASSERT_EQ(recorder.devices.size(), 1u);
    EXPECT_EQ(recorder.devices[0]->GetSerialNumber(), "12345");
    EXPECT_EQ(recorder.devices[0]->GetPortName(), "\\\\.\\COM9");
    EXPECT_EQ(recorder.Ends(), 1);
    const std::vector<std::string> statuses = recorder.Statuses();
    ASSERT_EQ(statuses.size(), 2u);
    const std::string searching = "Search Talvenbrecker device on Serial COM9: (" + hammer.Path() + ")...";
    EXPECT_EQ(statuses[0], searching);
    EXPECT_EQ(statuses[1], searching + "\r\n N   Serial: 12345");
}

TEST_F(SearchTest, StopAfterFirstDecidesWhetherTheScanGoesOn) {
    CFakeHammer first(CFakeHammer::EMode::Hammer, "111");
    CFakeHammer garbage(CFakeHammer::EMode::Garbage);
    CFakeHammer second(CFakeHammer::EMode::Hammer, "222");
    UseTable({"", first.Path(), garbage.Path(), "", second.Path()});

    RunSearchJob(Job(true, true));
    ASSERT_EQ(recorder.devices.size(), 1u);
    EXPECT_EQ(recorder.devices[0]->GetSerialNumber(), "111");
    // The ports above were tried alongside, but the user hears nothing of them
    // and they are free again.
    EXPECT_FALSE(recorder.AnyStatusContains("COM3:"));
    EXPECT_FALSE(recorder.AnyStatusContains("COM5:"));
    EXPECT_TRUE(PortIsFree(garbage.Path()));
    EXPECT_TRUE(PortIsFree(second.Path()));
    recorder.devices.clear();  // closes the port again

    RunSearchJob(Job(true, false));
    ASSERT_EQ(recorder.devices.size(), 2u);
    EXPECT_EQ(recorder.devices[0]->GetSerialNumber(), "111");
    EXPECT_EQ(recorder.devices[1]->GetSerialNumber(), "222");
    EXPECT_EQ(recorder.Ends(), 2);
    EXPECT_TRUE(recorder.AnyStatusContains("COM3: (" + garbage.Path() +
                                           ")...\r\nNo device of the required type found."));
}

TEST_F(SearchTest, SkippedPortIsNeverOpened) {
    CFakeHammer skipped(CFakeHammer::EMode::Hammer, "444");
    CFakeHammer other(CFakeHammer::EMode::Hammer, "666");
    UseTable({"", "", "", skipped.Path(), "", other.Path()});
    RunSearchJob(Job(true, true, 1, 4));
    ASSERT_EQ(recorder.devices.size(), 1u);
    EXPECT_EQ(recorder.devices[0]->GetSerialNumber(), "666");
    EXPECT_EQ(skipped.BytesSeen(), 0);
    EXPECT_FALSE(recorder.AnyStatusContains("COM4:"));
}

TEST_F(SearchTest, WithoutScanOnlyTheGivenPortIsTried) {
    CFakeHammer hammer(CFakeHammer::EMode::Hammer, "777");
    CFakeHammer elsewhere(CFakeHammer::EMode::Hammer, "111");
    UseTable({elsewhere.Path(), "", "", "", "", "", hammer.Path()});
    RunSearchJob(Job(false, true, 7));
    ASSERT_EQ(recorder.devices.size(), 1u);
    EXPECT_EQ(recorder.devices[0]->GetSerialNumber(), "777");
    EXPECT_EQ(elsewhere.BytesSeen(), 0);

    // A port that does not exist is still tried, and says so.
    recorder.devices.clear();
    RunSearchJob(Job(false, true, 3));
    const std::vector<std::string> statuses = recorder.Statuses();
    ASSERT_FALSE(statuses.empty());
    EXPECT_NE(statuses.back().find("COM3:"), std::string::npos);
    EXPECT_NE(statuses.back().find("\r\ncould not open port. The device does not exist."), std::string::npos);
    EXPECT_TRUE(recorder.devices.empty());
    EXPECT_EQ(recorder.Ends(), 2);
}

TEST_F(SearchTest, APortInUseIsReportedAndTheScanGoesOn) {
    CFakeHammer busy(CFakeHammer::EMode::Hammer, "111");
    CFakeHammer free(CFakeHammer::EMode::Hammer, "222");
    UseTable({busy.Path(), free.Path()});
    StreamIO::CRs232Stream holder;
    ASSERT_TRUE(holder.OpenPath(busy.Path(), StreamIO::kOpenRead | StreamIO::kOpenWrite, nullptr));
    RunSearchJob(Job(true, true));
    ASSERT_EQ(recorder.devices.size(), 1u);
    EXPECT_EQ(recorder.devices[0]->GetSerialNumber(), "222");
    EXPECT_TRUE(recorder.AnyStatusContains("COM1: (" + busy.Path() +
                                           ")...\r\ncould not open port. It is in use by another program."));
}

TEST_F(SearchTest, TheDeviceHandedOverOwnsAWorkingPort) {
    CFakeHammer hammer(CFakeHammer::EMode::Hammer, "999");
    UseTable({hammer.Path()});
    RunSearchJob(Job(true, true));
    ASSERT_EQ(recorder.devices.size(), 1u);
    CZvDevice& device = *recorder.devices[0];
    EXPECT_EQ(device.GetPortType(), PortSerial);
    ASSERT_NE(device.GetStream(), nullptr);
    EXPECT_TRUE(device.GetStream()->IsOpen());
    SShortIdentity again;
    EXPECT_TRUE(device.Identify(again));
    EXPECT_EQ(again.SerialNumber, "999");
}

TEST_F(SearchTest, NothingToSearchWithEndsAtOnce) {
    CFakeHammer hammer(CFakeHammer::EMode::Hammer);
    UseTable({hammer.Path()});
    SJobEntry job = Job(true, true);
    job.Factory = [](int) { return std::unique_ptr<CZvDevice>(); };
    RunSearchJob(job);
    EXPECT_EQ(recorder.Ends(), 1);
    EXPECT_TRUE(recorder.Statuses().empty());

    // Ethernet: nobody listens on the hammer's port of this address.
    SJobEntry ip = Job(false, true);
    ip.PortType = PortEthernet;
    ip.Address = "127.0.0.1";
    RunSearchJob(ip);
    EXPECT_TRUE(recorder.AnyStatusContains("Ethernet 127.0.0.1...\r\ncould not open port."));
    EXPECT_EQ(recorder.Ends(), 2);
    EXPECT_EQ(hammer.BytesSeen(), 0);
}

TEST_F(SearchTest, AbortStopsARunningScan) {
    CFakeHammer silent(CFakeHammer::EMode::Silent);
    CFakeHammer hammer(CFakeHammer::EMode::Hammer);
    UseTable({silent.Path(), hammer.Path()});
    ASSERT_TRUE(StartDeviceThread());
    SSearchParams params;
    params.DeviceType = TypeVantrel;
    params.PortType = PortSerial;
    params.Scan = true;
    params.Factory = [](int) -> std::unique_ptr<CZvDevice> { return std::make_unique<CTestDevice>(true); };
    ASSERT_TRUE(QueueSearchJob(&recorder, &params));
    ASSERT_TRUE(Eventually([&] { return silent.BytesSeen() > 0; }));

    AbortDeviceJobs(10000);
    StopDeviceThread();
    EXPECT_EQ(recorder.DeviceCount(), 0u);
    EXPECT_EQ(recorder.Ends(), 0);
    // COM2 may have been tried alongside; its hammer is neither reported nor kept.
    EXPECT_FALSE(recorder.AnyStatusContains("COM2:"));
    EXPECT_TRUE(PortIsFree(hammer.Path()));
}

TEST_F(SearchTest, FindsTheSimulatedHammersAmongMissingAndGarbagePorts) {
    E2e::CSimLine newer(E2e::LoadState("new-format-L.json"));
    E2e::CSimLine older(E2e::LoadState("old-format-N.json"));
    CFakeHammer garbage(CFakeHammer::EMode::Garbage);
    UseTable({"", garbage.Path(), "", newer.Path(), "", older.Path()});
    SJobEntry job = Job(true, false);
    job.Factory = nullptr;  // the program's own device classes
    RunSearchJob(job);

    ASSERT_EQ(recorder.devices.size(), 2u);
    EXPECT_EQ(recorder.devices[0]->GetSerialNumber(), "TB-L-20417");
    EXPECT_EQ(recorder.devices[0]->GetPortName(), "\\\\.\\COM4");
    EXPECT_EQ(recorder.devices[1]->GetSerialNumber(), "TB-N-08812");
    EXPECT_NE(dynamic_cast<CVantrelDevice*>(recorder.devices[1].get()), nullptr);
    EXPECT_EQ(recorder.Ends(), 1);
    EXPECT_TRUE(recorder.AnyStatusContains("COM2: (" + garbage.Path() +
                                           ")...\r\nNo device of the required type found."));
    EXPECT_TRUE(recorder.AnyStatusContains("\r\n Talvenbrecker PCL   Serial: TB-L-20417"));
}

// The ports of a scan are tried at the same time; what comes out must be what
// trying them one after the other gives, whichever port answers first.
TEST_F(SearchTest, AScanTellsAndHandsOverInPortOrderWhateverAnswersFirst) {
    struct SCase {
        const char* name;
        std::vector<CFakeHammer::EMode> ports;  // port n is ports[n - 1]
        bool stopAfterFirst;
        std::vector<std::string> serials;  // devices handed over, in order
    };
    using M = CFakeHammer::EMode;
    const SCase cases[] = {
        {"silent ports before the hammer", {M::Silent, M::Silent, M::Silent, M::Hammer}, true, {"4"}},
        {"a higher hammer answers first",
         {M::Silent, M::Hammer, M::Silent, M::Hammer, M::Hammer},
         true,
         {"2"}},
        {"all of them",
         {M::Hammer, M::Silent, M::Garbage, M::Hammer, M::Silent, M::Hammer},
         false,
         {"1", "4", "6"}},
        {"no hammer", {M::Silent, M::Garbage, M::Silent}, false, {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<CFakeHammer>> fakes;
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < c.ports.size(); ++i) {
            fakes.push_back(std::make_unique<CFakeHammer>(c.ports[i], std::to_string(i + 1)));
            paths.push_back(fakes.back()->Path());
        }
        UseTable(paths);
        CSearchRecorder seen;
        SJobEntry job = Job(true, c.stopAfterFirst);
        job.Callback = &seen;
        RunSearchJob(job);

        std::vector<std::string> serials;
        for (const auto& d : seen.devices) serials.push_back(d->GetSerialNumber());
        EXPECT_EQ(serials, c.serials);
        EXPECT_EQ(seen.Ends(), 1);

        // Two texts per port tried, in port order, as a one-by-one scan says them.
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < c.ports.size(); ++i) {
            const std::string searching = "Search Talvenbrecker device on Serial COM" +
                                          std::to_string(i + 1) + ": (" + paths[i] + ")...";
            expected.push_back(searching);
            expected.push_back(searching + (c.ports[i] == M::Hammer
                                                ? "\r\n N   Serial: " + std::to_string(i + 1)
                                                : "\r\nNo device of the required type found."));
            if (c.ports[i] == M::Hammer && c.stopAfterFirst) break;
        }
        EXPECT_EQ(seen.Statuses(), expected);
        // No port stays claimed but the ones handed over.
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const bool handedOver =
                std::find(serials.begin(), serials.end(), std::to_string(i + 1)) != serials.end();
            EXPECT_EQ(PortIsFree(paths[i]), !handedOver) << "COM" << i + 1;
        }
    }
}

// A traffic log shared by the probes (the command line's --log) gets each
// port's exchange in one piece, in port order.
TEST_F(SearchTest, ASharedTrafficLogGetsEachPortInOnePieceInPortOrder) {
    CFakeHammer silent(CFakeHammer::EMode::Silent);
    CFakeHammer first(CFakeHammer::EMode::Hammer, "222");
    CFakeHammer second(CFakeHammer::EMode::Hammer, "333");
    UseTable({silent.Path(), first.Path(), second.Path()});
    CReceivedLog log;
    SJobEntry job = Job(true, false);
    job.Factory = [&log](int) -> std::unique_ptr<CZvDevice> {
        auto device = std::make_unique<CTestDevice>();
        device->SetTrafficLog(&log);
        return device;
    };
    RunSearchJob(job);
    ASSERT_EQ(recorder.devices.size(), 2u);
    EXPECT_EQ(log.Text(), "\x06N;222\r\x06N;333\r");
    // The devices handed over log straight to it again.
    SShortIdentity again;
    ASSERT_TRUE(recorder.devices[1]->Identify(again));
    EXPECT_EQ(log.Text(), "\x06N;222\r\x06N;333\r\x06N;333\r");
}

// The user sees which port is being tried while it is tried (a wizard's
// Cancel is offered meanwhile), not only once its outcome is known.
TEST_F(SearchTest, APortIsNamedBeforeItIsTried) {
    class CWatchedDevice : public CTestDevice {
      public:
        explicit CWatchedDevice(std::function<void()> onIdentify) : m_OnIdentify(std::move(onIdentify)) {}
        bool Identify(SShortIdentity& identity) override {
            m_OnIdentify();
            return CTestDevice::Identify(identity);
        }

      private:
        std::function<void()> m_OnIdentify;
    };
    CFakeHammer hammer(CFakeHammer::EMode::Hammer, "321");
    for (const bool scan : {true, false}) {
        SCOPED_TRACE(scan ? "scan of one port" : "one port given");
        UseTable({hammer.Path()});
        CSearchRecorder seen;
        std::vector<std::string> shownBefore;
        SJobEntry job = Job(scan, true, 1);
        job.Callback = &seen;
        job.Factory = [&](int) -> std::unique_ptr<CZvDevice> {
            return std::make_unique<CWatchedDevice>([&] { shownBefore = seen.Statuses(); });
        };
        RunSearchJob(job);
        ASSERT_EQ(seen.devices.size(), 1u);
        EXPECT_EQ(shownBefore, std::vector<std::string>{"Search Talvenbrecker device on Serial COM1: (" +
                                                        hammer.Path() + ")..."});
    }
}

namespace {

// Lists two bulk-pipe devices that cannot be opened (another program has them).
class CUnopenableUsb : public StreamIO::IUsbHostBackend {
  public:
    std::vector<std::string> List(std::uint16_t, std::uint16_t) override {
        return {"USB:001-002", "USB:001-003"};
    }
    std::unique_ptr<StreamIO::IUsbBulkDevice> Open(const std::string&, std::uint16_t, std::uint16_t,
                                                   std::int32_t& code) override {
        code = StreamIO::kErrBusy;
        return nullptr;
    }
};

}  // namespace

TEST_F(SearchTest, UsbTriesEveryListedDeviceAndNamesThoseThatDidNotOpen) {
    SJobEntry job = Job(false, false);
    job.PortType = PortUsb;
    StreamIO::SetUsbHostBackend(std::make_shared<CUnopenableUsb>());
    RunSearchJob(job);
    StreamIO::SetUsbHostBackend(nullptr);
    for (const char* path : {"USB:001-002", "USB:001-003"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(
            recorder.AnyStatusContains(std::string(" on USB...\r\ncould not open USB device. ") + path));
    }
    EXPECT_EQ(recorder.Ends(), 1);
    EXPECT_EQ(recorder.DeviceCount(), 0u);

    // This machine has none of the maker's USB devices: the search just ends.
    const std::size_t before = recorder.Statuses().size();
    RunSearchJob(job);
    EXPECT_EQ(recorder.Statuses().size(), before);
    EXPECT_EQ(recorder.Ends(), 2);
}
