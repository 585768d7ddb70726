// The hammer's operations end to end: the hammer object, the protocol engine and
// the serial stream on one side of a real pseudo-terminal, the simulated hammer
// on the other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <sstream>

#include "E2eSupport.h"
#include "LocalTime.h"
#include "device/Contents.h"
#include "device/DeviceFactory.h"
#include "device/DeviceTypes.h"
#include "device/HexTrafficLog.h"
#include "device/ZvCommands.h"
#include "model/HammerData.h"
#include "text/Encoding.h"

using namespace Device;
using E2e::CSimLine;

TEST(E2eHammer, IdentifiesBothFormats) {
    struct Case {
        const char* state;
        bool newFormat;
        bool download;
    };
    const Case cases[] = {
        {"old-format-N.json", false, true},
        {"new-format-L.json", true, true},
        {"no-download.json", false, false},
        {"empty.json", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        const auto state = E2e::LoadState(c.state);
        CSimLine line(state);
        auto hammer = E2e::Connect(line.Path());
        ASSERT_TRUE(hammer);
        EXPECT_FALSE(hammer->IsNewFormat());
        SShortIdentity id;
        ASSERT_TRUE(hammer->Identify(id));
        EXPECT_EQ(id.DeviceType, state.Identity.DeviceType);
        EXPECT_EQ(id.AppVersion, state.Identity.ApplicationVersion);
        EXPECT_EQ(id.SerialNumber, state.Identity.SerialNumber);
        EXPECT_EQ(hammer->IsNewFormat(), c.newFormat);
        EXPECT_EQ(hammer->SupportsDownload(), c.download);
        EXPECT_EQ(hammer->GetSerialNumber(), state.Identity.SerialNumber);
        SIdentity full;
        ASSERT_TRUE(hammer->GetIdentity(full));
        EXPECT_EQ(full.HardwareRevision, state.Identity.HardwareRevision);
        EXPECT_EQ(full.Signature, state.Identity.Signature);
        EXPECT_EQ(full.BootloaderVersion, state.Identity.BootloaderVersion);
        const std::u16string info = hammer->GetInfoText();
        EXPECT_NE(info.find(u"Serial number:\t" + Text::FromCp1252(state.Identity.SerialNumber)),
                  std::u16string::npos);
        EXPECT_NE(info.find(u"Signature:\t" + Text::FromCp1252(state.Identity.Signature)),
                  std::u16string::npos);
        EXPECT_EQ(hammer->GetDeviceCode(), state.DeviceCode);
        SShortIdentity quick;
        ASSERT_TRUE(hammer->QuickIdentify(quick));
        EXPECT_EQ(quick, id);
    }
}

TEST(E2eHammer, IdentifyFieldRulesOverTheLine) {
    struct Case {
        const char* reply;
        bool success;
        const char* hardware;
        const char* bootloader;
    };
    const Case cases[] = {
        {"Talvenbrecker UN;HW 1.4;TB-N-1;05000001;1.3.7", true, "HW 1.4", ""},
        {"Talvenbrecker UN;HW 1.4;TB-N-1;05000001", false, "HW 1.4", "1.0.2"},
        {"Talvenbrecker UN;;TB-N-1;05000001;1.3.7;1.0.2", true, "-", "1.0.2"},
        {"Talvenbrecker UN;HW 1.4;TB-N-1;06000001;1.3.7;1.0.2", false, "HW 1.4", "1.0.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        auto state = E2e::LoadState("old-format-N.json");
        CSimLine line(state);
        auto hammer = E2e::ConnectIdentified(line.Path());  // caches the full identity first
        ASSERT_TRUE(hammer);
        state.IdentifyReply = c.reply;
        line.Hammer().SetState(state);
        SShortIdentity id;
        EXPECT_EQ(hammer->Identify(id), c.success);
        SIdentity full;
        hammer->GetIdentity(full);
        EXPECT_EQ(full.HardwareRevision, c.hardware);
        EXPECT_EQ(full.BootloaderVersion, c.bootloader);
        EXPECT_EQ(full.SerialNumber, "TB-N-1");
    }
}

TEST(E2eHammer, SetClockSendsTheLocalCalendarTime) {
    const std::time_t t = LocalTime(2013, 4, 5, 10, 20, 30);
    struct Case {
        const char* state;
        std::vector<std::uint8_t> payload;
    };
    const Case cases[] = {
        {"old-format-N.json", {0x06, 0x0D, 0x04, 0x05, 0x0A, 0x14, 0x1E}},
        {"new-format-L.json", {0x06, 0x01, 0x0D, 0x04, 0x05, 0x0A, 0x14, 0x1E}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        CSimLine line(E2e::LoadState(c.state));
        auto hammer = E2e::ConnectIdentified(line.Path());
        ASSERT_TRUE(hammer);
        EXPECT_EQ(CVantrelDevice::BuildClockPayload(t, hammer->IsNewFormat()), c.payload);
        ASSERT_TRUE(hammer->SetClock(t));
        ASSERT_FALSE(line.ApplicationRequests().empty());
        EXPECT_EQ(line.ApplicationRequests().back(), c.payload);
        const auto clock = line.Hammer().GetState().Clock;
        EXPECT_EQ(clock, (Sim::SSimClock{2013, 4, 5, 10, 20, 30}));
    }
}

TEST(E2eHammer, DownloadsDecodeToTheStatesSeries) {
    for (const char* name : {"old-format-N.json", "new-format-L.json", "large.json", "empty.json"}) {
        SCOPED_TRACE(name);
        const auto state = E2e::LoadState(name);
        CSimLine line(state);
        auto hammer = E2e::ConnectIdentified(line.Path());
        ASSERT_TRUE(hammer);
        E2e::CProgressLog progress;
        ASSERT_TRUE(hammer->SetCallback(&progress));
        SDownloadResult result;
        ASSERT_EQ(hammer->DownloadAllSeries(result), kDownloadOk);
        EXPECT_EQ(E2e::Describe(result.Series), E2e::Describe(E2e::ExpectedSeries(state)));
        EXPECT_EQ(result.Series.size(), state.Series.size());
        // What the document does with it.
        CHammerData data;
        data.ImportDownload(result.Series);
        ASSERT_EQ(data.GetCount(), static_cast<int>(state.Series.size()));
        if (!state.Series.empty()) {
            EXPECT_EQ(data.Series(0).Readings, result.Series[0].Readings);
            EXPECT_EQ(data.Series(0).SerialNumber, Text::FromCp1252(state.Identity.SerialNumber));
        }
        if (!state.Series.empty()) {
            ASSERT_FALSE(progress.Percents.empty());
            EXPECT_EQ(progress.Percents.back(), 100);
            EXPECT_TRUE(std::is_sorted(progress.Percents.begin(), progress.Percents.end()));
        }
        hammer->TakeCallback();
    }
}

TEST(E2eHammer, DeleteAllEmptiesTheHammer) {
    CSimLine line(E2e::LoadState("new-format-L.json"));
    auto hammer = E2e::ConnectIdentified(line.Path());
    ASSERT_TRUE(hammer);
    ASSERT_TRUE(hammer->DeleteAllSeries());
    EXPECT_TRUE(line.Hammer().GetState().Series.empty());
    SDownloadResult result;
    EXPECT_EQ(hammer->DownloadAllSeries(result), kDownloadOk);
    EXPECT_TRUE(result.Series.empty());
}

TEST(E2eHammer, CurveSlotsReadWriteDeleteInBothFormats) {
    for (const char* name : {"old-format-N.json", "new-format-L.json"}) {
        SCOPED_TRACE(name);
        const auto state = E2e::LoadState(name);
        CSimLine line(state);
        auto hammer = E2e::ConnectIdentified(line.Path());
        ASSERT_TRUE(hammer);
        const bool isNew = hammer->IsNewFormat();

        SCurveSlot c[3];
        ASSERT_TRUE(hammer->ReadCurveSlots(c[0], c[1], c[2]));
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            const auto& expected = state.Slots[i];
            ASSERT_EQ(c[i].Empty == 0, expected.has_value());
            if (!expected) continue;
            EXPECT_EQ(c[i].QMin, expected->QMin);
            EXPECT_EQ(c[i].QMax, expected->QMax);
            EXPECT_EQ(c[i].Kind, isNew ? expected->Kind : 0);
            EXPECT_EQ(float{c[i].A}, isNew ? expected->A : 0.0f);
            EXPECT_EQ(float{c[i].B}, expected->B);
            EXPECT_EQ(float{c[i].C}, expected->C);
            EXPECT_EQ(float{c[i].D}, expected->D);
            EXPECT_EQ(0, std::memcmp(c[i].Name.data(), expected->Name.data(), 10));
            EXPECT_EQ(c[i].Flags, expected->Flags);
        }

        // Write into C3 (index 2) and read it back.
        SCurveSlot slot;
        slot.QMin = 22;
        slot.QMax = 58;
        slot.Kind = isNew ? 1 : 0;
        slot.A = isNew ? 0.5f : 0.0f;
        slot.B = 1.5f;
        slot.C = 0.25f;
        slot.D = -2.0f;
        std::memcpy(slot.Name.data(), "Wall W7", 7);
        slot.Flags = 11;
        slot.Empty = 0;
        ASSERT_TRUE(hammer->WriteCurveSlot(2, slot));
        const auto written = line.ApplicationRequests().back();
        EXPECT_EQ(written.size(), isNew ? 33u : 27u);
        EXPECT_EQ(
            std::vector<std::uint8_t>(written.begin(), written.begin() + (isNew ? 3 : 2)),
            isNew ? std::vector<std::uint8_t>({0x14, 0x01, 0x02}) : std::vector<std::uint8_t>({0x14, 0x02}));
        SCurveSlot r[3];
        ASSERT_TRUE(hammer->ReadCurveSlots(r[0], r[1], r[2]));
        EXPECT_EQ(r[2], slot);
        EXPECT_FALSE(hammer->WriteCurveSlot(3, slot));

        // Delete C1 and C3 by mask.
        ASSERT_TRUE(hammer->DeleteCurveSlots(kSlotC1 | kSlotC3));
        EXPECT_EQ(line.ApplicationRequests().back(), isNew ? std::vector<std::uint8_t>({0x15, 0x01, 0x05})
                                                           : std::vector<std::uint8_t>({0x15, 0x05}));
        ASSERT_TRUE(hammer->ReadCurveSlots(r[0], r[1], r[2]));
        EXPECT_EQ(r[0].Empty, 1);
        EXPECT_EQ(r[1].Empty == 0, state.Slots[1].has_value());
        EXPECT_EQ(r[2].Empty, 1);
        const auto after = line.Hammer().GetState();
        EXPECT_FALSE(after.Slots[0].has_value());
        EXPECT_FALSE(after.Slots[2].has_value());
    }
}

TEST(E2eHammer, CustomStatisticsOnNewFormatOnly) {
    {
        const auto state = E2e::LoadState("new-format-L.json");
        CSimLine line(state);
        auto hammer = E2e::ConnectIdentified(line.Path());
        ASSERT_TRUE(hammer);
        SCustomStatistics read;
        ASSERT_TRUE(hammer->ReadCustomStatistics(read));
        const auto& s = *state.Statistics;
        EXPECT_EQ(read,
                  (SCustomStatistics{s.Mode, s.MinImpacts, s.MaxImpacts, s.UpperOutliers, s.LowerOutliers}));

        const SCustomStatistics median{5, 9, 15, 1, 1};
        ASSERT_TRUE(hammer->WriteCustomStatistics(median));
        EXPECT_EQ(line.ApplicationRequests().back(), (std::vector<std::uint8_t>{0x17, 0x01, 5, 9, 15, 1, 1}));
        ASSERT_TRUE(hammer->ReadCustomStatistics(read));
        EXPECT_EQ(read, median);

        // The hammer judges the rule: a minimum of 0 is refused and nothing changes.
        EXPECT_FALSE(hammer->WriteCustomStatistics({2, 0, 120, 0, 0}));
        ASSERT_TRUE(hammer->ReadCustomStatistics(read));
        EXPECT_EQ(read, median);
    }
    {
        CSimLine line(E2e::LoadState("old-format-N.json"));
        auto hammer = E2e::ConnectIdentified(line.Path());
        ASSERT_TRUE(hammer);
        line.Hammer().ClearRequests();
        SCustomStatistics read;
        EXPECT_FALSE(hammer->ReadCustomStatistics(read));
        EXPECT_FALSE(hammer->WriteCustomStatistics({2, 10, 20, 1, 1}));
        EXPECT_TRUE(line.ApplicationRequests().empty());  // refused without an exchange
    }
}

TEST(E2eHammer, LinkControlAndDeviceCode) {
    CSimLine line(E2e::LoadState("new-format-L.json"));
    auto hammer = E2e::ConnectIdentified(line.Path());
    ASSERT_TRUE(hammer);
    EXPECT_EQ(hammer->GetDeviceCode(), 0x05010000u);
    ASSERT_TRUE(hammer->SendLinkControl(true, 1500));
    auto state = line.Hammer().GetState();
    EXPECT_TRUE(state.LinkOn);
    EXPECT_EQ(state.LinkSeconds, 2u);
    ASSERT_TRUE(hammer->SendLinkControl(false, 0));
    state = line.Hammer().GetState();
    EXPECT_FALSE(state.LinkOn);
    EXPECT_EQ(state.LinkOffCount, 1u);
}

TEST(E2eHammer, LongFrameCarriesAnyPayloadAndReturnsTheStatusByte) {
    CSimLine line(E2e::LoadState("new-format-L.json"));
    auto hammer = E2e::ConnectIdentified(line.Path());
    ASSERT_TRUE(hammer);
    std::vector<std::uint8_t> buffer(64, 0x55);
    buffer[0] = 0x7E;  // no request of the hammer
    EXPECT_EQ(hammer->Transact(0xD1, 60, buffer.data(), 64, 2000), Sim::kCodeUnknown);
    const auto requests = line.Hammer().GetRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().Kind, Sim::SSimRequest::Long);
    EXPECT_EQ(requests.back().Payload.size(), 60u);
    // A payload that would read past the buffer is refused before anything is sent.
    EXPECT_EQ(hammer->Transact(0xD1, 60, buffer.data(), 50, 2000), kTransactBadArguments);
    // The hammer still answers normally afterwards.
    SShortIdentity id;
    EXPECT_TRUE(hammer->Identify(id));
}

TEST(E2eHammer, ClosePortRestartAndReconnect) {
    CSimLine line(E2e::LoadState("old-format-N.json"));
    auto hammer = E2e::ConnectIdentified(line.Path());
    ASSERT_TRUE(hammer);
    // Restart: resynchronisation, then mode 24 (mode 8, leaving and re-entering
    // the port): the stream is closed and opened again on the same pty.
    EXPECT_TRUE(hammer->Restart());
    SShortIdentity id;
    EXPECT_TRUE(hammer->Identify(id));

    hammer->ClosePort();
    EXPECT_FALSE(hammer->GetStream()->IsOpen());
    EXPECT_FALSE(hammer->Identify(id));
    ASSERT_TRUE(hammer->GetStream()->Reopen());
    EXPECT_TRUE(hammer->Identify(id));
    SDownloadResult result;
    EXPECT_EQ(hammer->DownloadAllSeries(result), kDownloadOk);
    EXPECT_EQ(result.Series.size(), 4u);

    // A second connection after the first one is gone.
    hammer.reset();
    auto again = E2e::ConnectIdentified(line.Path());
    ASSERT_TRUE(again);
    CContents contents;
    ASSERT_TRUE(again->GetContents(contents));
    ASSERT_EQ(contents.GetCount(), 2u);
    EXPECT_EQ(contents[0].Kind, kContentApplication);
    EXPECT_EQ(contents[0].Version, CVersion(1, 3, 7, 0));
    EXPECT_EQ(contents[0].FlagA, 1);
    EXPECT_EQ(contents[1].Kind, kContentBootloader);
    EXPECT_EQ(contents[1].Version, CVersion(1, 0, 2, 0));
    EXPECT_EQ(contents[1].FlagA, 0);
}

TEST(E2eHammer, ContentsIdentifiesFirstWhenNothingIsCached) {
    CSimLine line(E2e::LoadState("new-format-L.json"));
    auto hammer = E2e::Connect(line.Path());
    ASSERT_TRUE(hammer);
    CContents contents;
    ASSERT_TRUE(hammer->GetContents(contents));
    EXPECT_EQ(contents[0].Version, CVersion(2, 4, 1, 0));
    EXPECT_TRUE(hammer->IsNewFormat());
}

TEST(E2eHammer, TheDefaultTrafficLogHearsEveryDeviceMadeAfterwards) {
    // The desktop program's --log: devices made by the factory log the line.
    std::ostringstream out;
    CHexTrafficLog log(out);
    SetDefaultTrafficLog(&log);
    std::unique_ptr<CZvDevice> device = CreateDevice(TypeVantrel);
    SetDefaultTrafficLog(nullptr);
    ASSERT_TRUE(device);
    EXPECT_EQ(CreateDevice(TypeVantrel)->GetTrafficLog(), nullptr);

    CSimLine line(E2e::LoadState("new-format-L.json"));
    auto stream = std::make_unique<StreamIO::CRs232Stream>();
    ASSERT_TRUE(stream->OpenPath(line.Path(), StreamIO::kOpenRead | StreamIO::kOpenWrite,
                                 &device->GetSerialSettings()));
    ASSERT_TRUE(device->Attach(std::move(stream), PortSerial));
    SShortIdentity id;
    ASSERT_TRUE(device->Identify(id));
    device.reset();
    // Both directions, and the serial number the hammer sent in plain text.
    EXPECT_NE(out.str().find(" > "), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(" < "), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("TB-L-"), std::string::npos) << out.str();
}
