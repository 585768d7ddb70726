// The hammer commands, the slot upload and the custom statistics against the
// simulated hammer over a real pseudo-terminal. Built where the simulator
// library is linked in.
#if __has_include("SimPty.h")
#include <gtest/gtest.h>

#include <ctime>

#include "ToolsSimSupport.h"
#include "device/Callback.h"
#include "doc/HammerDoc.h"
#include "support/ScriptedPrompt.h"
#include "tools/CustomStatistics.h"
#include "tools/HammerCommands.h"
#include "tools/SlotUpload.h"

namespace {

using Text::MsgResult;
using Tools::EDownloadResult;
using ToolsSim::CLine;

class CPercents : public Device::CCallback {
  public:
    CPercents() { SetProgressEnabled(true); }
    void OnProgress(int percent, int, int) override { seen.push_back(percent); }
    std::vector<int> seen;
};

class HammerCommands : public ::testing::Test {
  protected:
    ToolsSim::CLibraryScope library;
    CScriptedPrompt prompt;
};

Sim::SSimState EmptyWithSlot() {
    Sim::SSimState state = ToolsSim::LoadState("new-format-L.json");
    state.Series.clear();
    state.Slots[1].reset();
    return state;
}

TEST_F(HammerCommands, DownloadTakesOverSeriesAndRegistersSlotCurves) {
    CLine line(ToolsSim::LoadState("new-format-L.json"));
    auto hammer = ToolsSim::Connect(line);
    ASSERT_TRUE(hammer);
    CHammerDoc doc(prompt);
    CPercents progress;
    const auto out = Tools::DownloadAllSeries(*hammer, doc, prompt, &progress, std::time(nullptr));

    EXPECT_EQ(EDownloadResult::SeriesTaken, out.result);
    EXPECT_EQ(4, out.seriesCount);
    EXPECT_EQ(2, out.curvesFound);
    EXPECT_FALSE(out.disconnect);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(4, doc.WorkingData().GetCount());
    EXPECT_EQ(4, doc.OriginalData().GetCount());
    EXPECT_TRUE(doc.IsModified());
    // C1 and C2 under their preferred identifiers, and stored as curve files.
    EXPECT_EQ(u"Tunnel T1", doc.WorkingData().GetCurveName(1));
    ASSERT_EQ(2, doc.Library().Count());
    EXPECT_TRUE(std::filesystem::exists(library.Folder() / "Tunnel T1.zvc"));
    EXPECT_TRUE(std::filesystem::exists(library.Folder() / "Prefab.zvc"));
    ASSERT_FALSE(progress.seen.empty());
    EXPECT_EQ(5, progress.seen.front());
    EXPECT_EQ(100, progress.seen.back());
    // The callback belongs to the hammer only while the series travel.
    EXPECT_EQ(nullptr, hammer->GetCallback());
    EXPECT_TRUE(line.Hammer().GetState().ClockSet);
    const std::vector<std::uint8_t> order{0x06, 0x13, 0x10};
    EXPECT_EQ(order, line.SubCommands());
}

TEST_F(HammerCommands, CurvesAlreadyInTheLibraryAreNotStoredTwice) {
    CLine line(ToolsSim::LoadState("new-format-L.json"));
    auto hammer = ToolsSim::Connect(line);
    ASSERT_TRUE(hammer);
    for (int run = 0; run < 2; ++run) {
        CHammerDoc doc(prompt);
        ASSERT_EQ(EDownloadResult::SeriesTaken,
                  Tools::DownloadAllSeries(*hammer, doc, prompt, nullptr, std::time(nullptr)).result);
        EXPECT_EQ(2, doc.Library().Count()) << run;
    }
    EXPECT_EQ(2, static_cast<int>(std::distance(std::filesystem::directory_iterator(library.Folder()),
                                                std::filesystem::directory_iterator())));
}

TEST_F(HammerCommands, AHammerWithoutSeriesStillGivesItsCurves) {
    CLine line(EmptyWithSlot());
    auto hammer = ToolsSim::Connect(line);
    ASSERT_TRUE(hammer);
    CHammerDoc doc(prompt);
    const auto out = Tools::DownloadAllSeries(*hammer, doc, prompt, nullptr, std::time(nullptr));
    EXPECT_EQ(EDownloadResult::NoSeries, out.result);
    EXPECT_EQ(std::vector<unsigned>{59546}, prompt.ShownIds());
    EXPECT_EQ(1, out.curvesFound);
    EXPECT_EQ(1, doc.Library().Count());
    EXPECT_EQ(0, doc.WorkingData().GetCount());
    EXPECT_FALSE(out.disconnect);
}

TEST_F(HammerCommands, DownloadFailuresWithTheirMessagesAndConnection) {
    struct SCase {
        const char* what;
        const char* state;
        Sim::SSimFaults faults;
        EDownloadResult result;
        int code;
        std::vector<unsigned> shown;
        bool disconnect;
    };
    Sim::SSimFaults refuse;
    refuse.RefuseDownload = true;
    Sim::SSimFaults format2;
    format2.FormatByte = 2;
    Sim::SSimFaults badCheck;
    badCheck.BadCheck = true;
    const SCase cases[] = {
        {"no download support", "no-download.json", {}, EDownloadResult::NoDownloadSupport, 0, {59442}, true},
        {"refused", "new-format-L.json", refuse, EDownloadResult::DownloadFailed, 15, {59606}, true},
        {"format byte 2", "new-format-L.json", format2, EDownloadResult::DownloadFailed, 14, {59606}, false},
        {"bad check value",
         "old-format-N.json",
         badCheck,
         EDownloadResult::DownloadFailed,
         -1,
         {59606},
         true},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        CScriptedPrompt shown;
        CLine line(ToolsSim::LoadState(c.state), c.faults);
        auto hammer = ToolsSim::Connect(line);
        ASSERT_TRUE(hammer);
        CHammerDoc doc(shown);
        doc.SetModified(true);
        const auto out = Tools::DownloadAllSeries(*hammer, doc, shown, nullptr, std::time(nullptr));
        EXPECT_EQ(c.result, out.result);
        if (c.code >= 0) {
            EXPECT_EQ(c.code, out.code);
        }
        if (c.result == EDownloadResult::DownloadFailed) {
            EXPECT_NE(0, out.code);
        }
        EXPECT_EQ(c.shown, shown.ShownIds());
        EXPECT_EQ(c.disconnect, out.disconnect);
        // Only a failure that lets the hammer go marks the project unmodified.
        EXPECT_EQ(!c.disconnect, doc.IsModified());
        EXPECT_EQ(0, doc.WorkingData().GetCount());
    }
}

// A stray byte right after the prompt (a noisy line, a bridge that adds one)
// once became the first letter of the device type, and the hammer was then
// said not to support downloading.
TEST_F(HammerCommands, StrayByteAfterThePromptDoesNotSpoilTheIdentification) {
    for (int stray : {0x3E, 0x10, 0x06, 0x00}) {
        SCOPED_TRACE(stray);
        Sim::SSimFaults faults;
        faults.PromptStray = stray;
        CScriptedPrompt shown;
        CLine line(ToolsSim::LoadState("new-format-L.json"), faults);
        auto hammer = ToolsSim::Connect(line);
        ASSERT_TRUE(hammer);
        CHammerDoc doc(shown);
        const auto out = Tools::DownloadAllSeries(*hammer, doc, shown, nullptr, std::time(nullptr));
        EXPECT_EQ(EDownloadResult::SeriesTaken, out.result);
        EXPECT_TRUE(shown.shown.empty());
        EXPECT_EQ(4, out.seriesCount);
    }
}

// A device type too short to carry the download mark tells nothing about the
// model: the user hears that the identification was unreadable.
TEST_F(HammerCommands, UnreadableIdentificationIsNotCalledUnsupported) {
    struct SCase {
        const char* state;
        const char* deviceType;
        EDownloadResult result;
        unsigned shown;
    };
    const SCase cases[] = {
        {"new-format-L.json", "Talvenbrecker", EDownloadResult::IdentificationUnreadable, 62850},
        {"old-format-N.json", "Talvenbrecker", EDownloadResult::IdentificationUnreadable, 62850},
        {"no-download.json", nullptr, EDownloadResult::NoDownloadSupport, 59442},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.state);
        Sim::SSimState state = ToolsSim::LoadState(c.state);
        if (c.deviceType != nullptr) state.Identity.DeviceType = c.deviceType;
        CScriptedPrompt shown;
        CLine line(state);
        auto hammer = ToolsSim::Connect(line);
        ASSERT_TRUE(hammer);
        CHammerDoc doc(shown);
        doc.SetModified(true);
        const auto out = Tools::DownloadAllSeries(*hammer, doc, shown, nullptr, std::time(nullptr));
        EXPECT_EQ(c.result, out.result);
        EXPECT_EQ(std::vector<unsigned>{c.shown}, shown.ShownIds());
        EXPECT_TRUE(out.disconnect);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(0, doc.WorkingData().GetCount());
    }
}

TEST_F(HammerCommands, ClockNotConfirmedEndsBeforeAnythingElse) {
    Sim::SSimFaults error;
    error.DeviceError = 0xF5;
    CLine line(ToolsSim::LoadState("new-format-L.json"), error);
    auto hammer = ToolsSim::Connect(line);
    ASSERT_TRUE(hammer);
    CHammerDoc doc(prompt);
    const auto out = Tools::DownloadAllSeries(*hammer, doc, prompt, nullptr, std::time(nullptr));
    EXPECT_EQ(EDownloadResult::ClockNotSet, out.result);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(std::vector<std::uint8_t>{0x06}, line.SubCommands());
    EXPECT_EQ(0, doc.Library().Count());
}

TEST_F(HammerCommands, DeleteAllOnlyAfterYes) {
    struct SCase {
        MsgResult answer;
        int deviceError;
        Tools::EDeleteResult result;
        std::vector<unsigned> shown;
        std::size_t seriesLeft;
    };
    const SCase cases[] = {
        {MsgResult::Yes, -1, Tools::EDeleteResult::Deleted, {59518, 59512}, 0},
        {MsgResult::No, -1, Tools::EDeleteResult::Declined, {59518}, 4},
        {MsgResult::Cancel, -1, Tools::EDeleteResult::Declined, {59518}, 4},
        {MsgResult::Yes, 0xF5, Tools::EDeleteResult::Failed, {59518, 59403}, 4},
    };
    for (const SCase& c : cases) {
        CScriptedPrompt asked;
        asked.answers = {c.answer};
        CLine line(ToolsSim::LoadState("new-format-L.json"));
        auto hammer = ToolsSim::Connect(line);
        ASSERT_TRUE(hammer);
        Sim::SSimFaults faults;
        faults.DeviceError = c.deviceError;
        line.Hammer().SetFaults(faults);
        EXPECT_EQ(c.result, Tools::DeleteAllSeriesOnHammer(*hammer, asked));
        EXPECT_EQ(c.shown, asked.ShownIds());
        EXPECT_EQ(c.seriesLeft, line.Hammer().GetState().Series.size());
    }
}

TConvCust LibraryCurve(const char* name, std::uint8_t flags, float a = 0.0f) {
    TConvCust c;
    c.SetName8(name);
    c.Flags = flags;
    c.A = a;
    c.B = 0.002f;
    c.C = 0.5f;
    c.D = 1.0f;
    c.QMin = 20;
    c.QMax = 70;
    return c;
}

TEST_F(HammerCommands, UploadAsksBeforeReplacingAFilledSlot) {
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        CScriptedPrompt asked;
        asked.answers = {answer};
        CLine line(ToolsSim::LoadState("new-format-L.json"));
        auto hammer = ToolsSim::Connect(line);
        ASSERT_TRUE(hammer);
        Tools::TCurveSlots shown;
        ASSERT_TRUE(Tools::ReadSlots(*hammer, shown, asked));
        const auto result = Tools::UploadCurveToSlot(*hammer, LibraryCurve("Wall", 0x0A), 0, shown, asked);
        EXPECT_EQ(std::vector<unsigned>{59548}, asked.ShownIds());
        EXPECT_EQ(
            u"You are about to overwrite Tunnel T1. \nAll measurement series using Tunnel T1 will use Wall "
            u"after overwriting.\n\nContinue?",
            asked.shown.at(0).text);
        const Sim::SSimState after = line.Hammer().GetState();
        const auto& slot = after.Slots[0];
        ASSERT_TRUE(slot);
        if (answer == MsgResult::Yes) {
            EXPECT_EQ(Tools::ESlotOutcome::Done, result.outcome);
            EXPECT_EQ('W', slot->Name[0]);
            EXPECT_EQ(0x0A, slot->Flags);
        } else {
            EXPECT_EQ(Tools::ESlotOutcome::Declined, result.outcome);
            EXPECT_EQ('T', slot->Name[0]);
        }
    }
}

TEST_F(HammerCommands, RefusedUploadsWriteNothing) {
    struct SCase {
        const char* state;
        TConvCust curve;
        int slot;
        unsigned message;
    };
    const SCase cases[] = {
        {"new-format-L.json", LibraryCurve("Wall", 0x09), 2, 59550},
        {"old-format-N.json", LibraryCurve("Wall", 0x0A), 1, 59549},
        {"old-format-N.json", LibraryCurve("Wall", 0x09, 0.001f), 1, 59579},
        {"new-format-L.json", LibraryCurve("Prefab", 0x0A), 2, 59551},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.message);
        CScriptedPrompt asked;
        CLine line(ToolsSim::LoadState(c.state));
        auto hammer = ToolsSim::Connect(line);
        ASSERT_TRUE(hammer);
        Tools::TCurveSlots shown;
        ASSERT_TRUE(Tools::ReadSlots(*hammer, shown, asked));
        const auto before = line.Hammer().GetState().Slots;
        const auto result = Tools::UploadCurveToSlot(*hammer, c.curve, c.slot, shown, asked);
        EXPECT_EQ(Tools::ESlotOutcome::Refused, result.outcome);
        EXPECT_EQ(c.message, result.messageId);
        EXPECT_EQ(std::vector<unsigned>{c.message}, asked.ShownIds());
        EXPECT_EQ(before, line.Hammer().GetState().Slots);
        const auto subs = line.SubCommands();
        EXPECT_EQ(subs.end(), std::find(subs.begin(), subs.end(), 0x14));
    }
}

TEST_F(HammerCommands, AQuadraticCurveGoesToAnOlderHammer) {
    CLine line(ToolsSim::LoadState("old-format-N.json"));
    auto hammer = ToolsSim::Connect(line);
    ASSERT_TRUE(hammer);
    Tools::TCurveSlots shown;
    ASSERT_TRUE(Tools::ReadSlots(*hammer, shown, prompt));
    ASSERT_TRUE(shown[1].Empty);
    const auto result = Tools::UploadCurveToSlot(*hammer, LibraryCurve("Wall", 0x09), 1, shown, prompt);
    EXPECT_EQ(Tools::ESlotOutcome::Done, result.outcome);
    EXPECT_TRUE(prompt.shown.empty());  // an empty slot is filled without a question
    ASSERT_TRUE(line.Hammer().GetState().Slots[1]);
    EXPECT_FLOAT_EQ(0.5f, line.Hammer().GetState().Slots[1]->C);
}

TEST_F(HammerCommands, EmptyingAskTheQuestionOfTheFormat) {
    struct SCase {
        const char* state;
        int slot;
        unsigned question;  // 0: the slot is empty and goes without one
    };
    const SCase cases[] = {
        {"new-format-L.json", 0, 59580}, {"old-format-N.json", 0, 59547}, {"old-format-N.json", 1, 0}};
    for (const SCase& c : cases) {
        CScriptedPrompt asked;
        asked.answers = {MsgResult::Yes};
        CLine line(ToolsSim::LoadState(c.state));
        auto hammer = ToolsSim::Connect(line);
        ASSERT_TRUE(hammer);
        Tools::TCurveSlots shown;
        ASSERT_TRUE(Tools::ReadSlots(*hammer, shown, asked));
        const auto result = Tools::EmptySlot(*hammer, c.slot, shown, asked);
        EXPECT_EQ(Tools::ESlotOutcome::Done, result.outcome);
        if (c.question == 0) {
            EXPECT_TRUE(asked.shown.empty());
        } else {
            ASSERT_EQ(std::vector<unsigned>{c.question}, asked.ShownIds());
            EXPECT_NE(std::u16string::npos, asked.shown[0].text.find(Tools::SlotCurveName(shown[c.slot])));
        }
        EXPECT_FALSE(line.Hammer().GetState().Slots[static_cast<std::size_t>(c.slot)]);
    }
}

TEST_F(HammerCommands, RefusedStatisticsAreExplained) {
    struct SCase {
        Device::SCustomStatistics rule;
        bool accepted;
        unsigned message;
    };
    const SCase cases[] = {
        {{2, 0, 120, 0, 0}, false, 59592}, {{2, 5, 20, 3, 3}, false, 59590},
        {{2, 20, 10, 0, 0}, false, 59589}, {{2, 10, 120, 0, 0}, false, 59591},
        {{5, 10, 20, 3, 3}, true, 0},
    };
    for (const SCase& c : cases) {
        CScriptedPrompt asked;
        CLine line(ToolsSim::LoadState("new-format-L.json"));
        auto hammer = ToolsSim::Connect(line);
        ASSERT_TRUE(hammer);
        unsigned message = 1;
        EXPECT_EQ(c.accepted, Tools::WriteCustomStatistics(*hammer, c.rule, asked, &message));
        EXPECT_EQ(c.message, message);
        const Tools::TStatisticsRead read = Tools::ReadCustomStatistics(*hammer, asked);
        ASSERT_TRUE(read.ok);
        if (c.accepted) {
            EXPECT_TRUE(asked.shown.empty());
            EXPECT_EQ(c.rule, read.rule);
        } else {
            EXPECT_EQ(std::vector<unsigned>{c.message}, asked.ShownIds());
            EXPECT_EQ((Device::SCustomStatistics{2, 10, 20, 2, 2}), read.rule);
        }
    }
}

TEST_F(HammerCommands, StatisticsNeedTheNewerFormat) {
    CLine line(ToolsSim::LoadState("old-format-N.json"));
    auto hammer = ToolsSim::Connect(line);
    ASSERT_TRUE(hammer);
    EXPECT_FALSE(Tools::ReadCustomStatistics(*hammer, prompt).ok);
    unsigned message = 0;
    EXPECT_FALSE(Tools::WriteCustomStatistics(*hammer, {2, 10, 20, 2, 2}, prompt, &message));
    EXPECT_EQ(59593u, message);
    EXPECT_EQ((std::vector<unsigned>{59593, 59593}), prompt.ShownIds());
    EXPECT_TRUE(line.SubCommands().empty());

    CScriptedPrompt failing;
    Sim::SSimFaults error;
    error.DeviceError = 0xF5;
    CLine broken(ToolsSim::LoadState("new-format-L.json"), error);
    auto newer = ToolsSim::Connect(broken);
    ASSERT_TRUE(newer);
    const auto read = Tools::ReadCustomStatistics(*newer, failing);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(59594u, read.messageId);
}

}  // namespace
#endif
