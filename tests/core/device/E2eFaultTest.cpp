// Every fault the simulated hammer can inject ends with the documented result
// of the operation it hits, and leaves the hammer object usable.
#include <gtest/gtest.h>

#include <functional>

#include "E2eSupport.h"
#include "SimFaults.h"
#include "device/ZvCommands.h"

using namespace Device;
using E2e::CSimLine;

namespace {

Sim::SSimFaults Fault(const std::string& text) {
    Sim::SSimFaults faults;
    std::string error;
    if (!Sim::ParseFault(text, faults, error)) throw std::runtime_error(error);
    return faults;
}

}  // namespace

// Faults on the download reply, in both formats where they apply.
TEST(E2eFaults, DownloadEndsWithTheDocumentedCode) {
    struct Case {
        const char* fault;
        const char* state;
        int code;
    };
    const Case cases[] = {
        {"cut=40", "new-format-L.json", kReceiveCommFailure},
        {"cut=3", "old-format-N.json", kReceiveCommFailure},
        {"crc", "new-format-L.json", kReceiveCheckMismatch},
        {"crc", "old-format-N.json", kReceiveCheckMismatch},
        // Each read waits 2000 ms; the stall outlasts two of them by far. The
        // next request makes the hammer drop what it still held back.
        {"stall=8000", "new-format-L.json", kReceiveCommFailure},
        {"refuse", "old-format-N.json", kDownloadRefused},
        {"refuse", "new-format-L.json", kDownloadRefused},
        {"format=2", "new-format-L.json", kDownloadUnknownFormat},
        {"format=255", "new-format-L.json", kDownloadUnknownFormat},
        {"device-error=245", "new-format-L.json", kReceiveCommFailure},
        {"stray=32", "new-format-L.json", kDownloadOk},  // noise after replies is purged
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + " " + c.state);
        CSimLine line(E2e::LoadState(c.state));
        auto hammer = E2e::ConnectIdentified(line.Path());
        ASSERT_TRUE(hammer);
        line.Hammer().SetFaults(Fault(c.fault));
        SDownloadResult result;
        EXPECT_EQ(hammer->DownloadAllSeries(result), c.code);
        if (c.code != kDownloadOk) {
            EXPECT_TRUE(result.Series.empty());
        }

        // The fault gone, the same object works again.
        line.Hammer().SetFaults({});
        EXPECT_EQ(hammer->DownloadAllSeries(result), kDownloadOk);
        EXPECT_EQ(result.Series.size(), line.Hammer().GetState().Series.size());
    }
}

TEST(E2eFaults, CurveSlotReadFailsCleanly) {
    // A cut reply, silence, noise and device error codes: the read fails and
    // every slot stays prepared as empty.
    for (const char* fault : {"cut=1", "mute", "garbage", "device-error=240", "device-error=255"}) {
        for (const char* name : {"new-format-L.json", "old-format-N.json"}) {
            SCOPED_TRACE(std::string(fault) + " " + name);
            if (std::string(fault).rfind("device-error", 0) != 0 &&
                std::string(name) == "old-format-N.json") {
                continue;  // the line faults do not depend on the format
            }
            CSimLine line(E2e::LoadState(name));
            auto hammer = E2e::ConnectIdentified(line.Path());
            ASSERT_TRUE(hammer);
            line.Hammer().SetFaults(Fault(fault));
            SCurveSlot s1, s2, s3;
            s2.Empty = 0;
            EXPECT_FALSE(hammer->ReadCurveSlots(s1, s2, s3));
            EXPECT_EQ(s1, SCurveSlot::Prepared());
            EXPECT_EQ(s2, SCurveSlot::Prepared());
            EXPECT_EQ(s3, SCurveSlot::Prepared());
        }
    }
}

TEST(E2eFaults, DeviceErrorCodesFailEveryRequest) {
    CSimLine line(E2e::LoadState("new-format-L.json"), Fault("device-error=247"));
    auto hammer = E2e::ConnectIdentified(line.Path());
    ASSERT_TRUE(hammer);
    EXPECT_FALSE(hammer->SetClock(std::time(nullptr)));
    EXPECT_FALSE(hammer->DeleteAllSeries());
    SCustomStatistics statistics;
    EXPECT_FALSE(hammer->ReadCustomStatistics(statistics));
    EXPECT_FALSE(hammer->WriteCustomStatistics({2, 10, 20, 1, 1}));
    EXPECT_FALSE(hammer->DeleteCurveSlots(kSlotC1));
    SCurveSlot slot;
    EXPECT_FALSE(hammer->WriteCurveSlot(0, slot));
    const auto state = line.Hammer().GetState();
    EXPECT_EQ(state.Series.size(), 4u);
    EXPECT_TRUE(state.Slots[0].has_value());
    EXPECT_FALSE(state.ClockSet);
}

TEST(E2eFaults, SilenceAndNoiseFailTheIdentification) {
    for (const char* fault : {"mute", "garbage"}) {
        SCOPED_TRACE(fault);
        CSimLine line(E2e::LoadState("old-format-N.json"), Fault(fault));
        auto hammer = E2e::Connect(line.Path());
        ASSERT_TRUE(hammer);
        SShortIdentity id;
        EXPECT_FALSE(hammer->Identify(id));
        std::uint8_t buffer[16] = {0x13};
        const int r = hammer->Transact(0xD1, 1, buffer, sizeof buffer, 300);
        if (std::string(fault) == "mute") {
            EXPECT_EQ(r, kTransactCommFailure);
        } else {
            EXPECT_NE(r, 1);  // noise is no slot list
        }
    }
}

// A hammer whose echo was left on repeats each text command before its answer.
TEST(E2eFaults, EchoingHammerIsIdentifiedCorrectly) {
    const auto state = E2e::LoadState("old-format-N.json");
    CSimLine line(state, Fault("echo"));
    auto hammer = E2e::Connect(line.Path());
    ASSERT_TRUE(hammer);
    SShortIdentity id;
    ASSERT_TRUE(hammer->Identify(id));
    EXPECT_EQ(id.DeviceType, state.Identity.DeviceType);
    EXPECT_TRUE(hammer->SupportsDownload());
    SDownloadResult result;
    EXPECT_EQ(hammer->DownloadAllSeries(result), kDownloadOk);
    EXPECT_EQ(result.Series.size(), state.Series.size());

    // Asked, the engine finds the echo and switches it off.
    ASSERT_TRUE(hammer->GetCommands()->SetEcho(false, true));
    EXPECT_FALSE(line.Hammer().GetState().Echo);
    ASSERT_TRUE(hammer->Identify(id));
    EXPECT_EQ(id.DeviceType, state.Identity.DeviceType);
}

// A byte after the text prompt is noise, not the start of the answer; the echo
// probe reads past the prompt the same way.
TEST(E2eFaults, ByteAfterThePromptIsNotPartOfTheAnswer) {
    const auto state = E2e::LoadState("old-format-N.json");
    for (const char* fault : {"prompt-stray=0x3E", "prompt-stray=0x10", "prompt-stray=0x0D"}) {
        for (bool echo : {false, true}) {
            SCOPED_TRACE(std::string(fault) + (echo ? " echo" : ""));
            Sim::SSimFaults faults = Fault(fault);
            faults.Echo = echo;
            CSimLine line(state, faults);
            auto hammer = E2e::Connect(line.Path());
            ASSERT_TRUE(hammer);
            SShortIdentity id;
            ASSERT_TRUE(hammer->Identify(id));
            EXPECT_EQ(id.DeviceType, state.Identity.DeviceType);
            EXPECT_EQ(id.SerialNumber, state.Identity.SerialNumber);
            EXPECT_TRUE(hammer->SupportsDownload());
            ASSERT_TRUE(hammer->GetCommands()->SetEcho(false, true));
            EXPECT_FALSE(line.Hammer().GetState().Echo);
        }
    }
}
