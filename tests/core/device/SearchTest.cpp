// The device search over pseudo-terminals: which ports are tried, the status
// texts, the hand-over, abort.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "E2eSupport.h"
#include "SearchFakeHammer.h"
#include "core/text/TempDir.h"
#include "device/Callback.h"
#include "device/DeviceSearch.h"
#include "device/DeviceThread.h"
#include "device/PortTable.h"
#include "streamio/Rs232Stream.h"
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
    EXPECT_EQ(garbage.BytesSeen(), 0);
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
    EXPECT_NE(statuses.back().find("\r\ncould not open port."), std::string::npos);
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
    EXPECT_TRUE(recorder.AnyStatusContains("COM1: (" + busy.Path() + ")...\r\ncould not open port."));
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

    // Ethernet: this program has no IP transport, so the address cannot be opened.
    SJobEntry ip = Job(false, true);
    ip.PortType = PortEthernet;
    ip.Address = "192.168.1.20";
    RunSearchJob(ip);
    EXPECT_TRUE(recorder.AnyStatusContains("Ethernet 192.168.1.20...\r\ncould not open port."));
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
    EXPECT_EQ(hammer.BytesSeen(), 0);
    EXPECT_FALSE(recorder.AnyStatusContains("COM2:"));
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
