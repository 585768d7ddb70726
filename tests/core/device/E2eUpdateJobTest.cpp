// The update job against the simulated hammer, which takes no firmware: what
// passes before the transfer, what each failure reports, and a job whose
// blocks are all left out.
#include <gtest/gtest.h>

#include <algorithm>

#include "E2eSupport.h"
#include "PackageFixture.h"
#include "device/Contents.h"
#include "device/DeviceThread.h"
#include "device/UpdateJob.h"

using namespace Device;
using namespace PackageFixture;
using E2e::CSimLine;

namespace {

class CJobLog : public CCallback {
  public:
    void OnStatus(const std::u16string& text) override { Status.push_back(text); }
    void OnFinished(const std::u16string& text, int code) override {
        Texts.push_back(text);
        Codes.push_back(code);
    }
    std::vector<std::u16string> Status;
    std::vector<std::u16string> Texts;
    std::vector<int> Codes;
};

// The package with its body: two block descriptors (taken and left in mode 8,
// the hammer's running mode) and their data.
Bytes PackageWithBody(std::uint32_t deviceCode) {
    Bytes b = Package(deviceCode);
    for (const auto& part : {Descriptor(40, 8, 8), Descriptor(24, 8, 8)})
        b.insert(b.end(), part.begin(), part.end());
    b.insert(b.end(), 40 + 24, 0x5A);
    return b;
}

struct SJobRun {
    CJobLog Log;
    std::size_t PackageRead = 0;
    std::size_t PackageSize = 0;
    std::size_t Resyncs = 0;
};

void RunJob(Bytes package, const CContents* selection, SJobRun& run) {
    ClearAbort();
    CSimLine line(E2e::LoadState("new-format-L.json"));
    auto hammer = E2e::ConnectIdentified(line.Path());
    ASSERT_TRUE(hammer);
    CMemoryStream stream(std::move(package));
    SJobEntry job;
    job.JobType = JobUpdate;
    job.Callback = &run.Log;
    job.UpdateDevice = hammer.get();
    job.UpdatePackage = &stream;
    job.UpdateSelection = selection;
    RunUpdateJob(job);
    run.PackageRead = stream.Position();
    run.PackageSize = stream.Size();
    for (const auto& r : line.Hammer().GetRequests()) run.Resyncs += r.Kind == Sim::SSimRequest::Resync;
    EXPECT_EQ(hammer->GetCallback(), nullptr);  // the job's callback is taken back
}

}  // namespace

TEST(E2eUpdateJob, FailuresReportTheirCodeAndRestartTheHammer) {
    struct Case {
        const char* what;
        Bytes package;
        int code;
    };
    const Case cases[] = {
        {"not a package", Bytes{'h', 'e', 'l', 'l', 'o'}, kUpdateFileReadFailed},
        {"another device", PackageWithBody(0x06000001), kUpdateWrongDevice},
        {"descriptors missing", Package(), kUpdateFileReadFailed},
        // The hammer refuses the transfer request: the data cannot be sent.
        {"transfer refused", PackageWithBody(0x05010000), kUpdateUploadFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SJobRun run;
        RunJob(c.package, nullptr, run);
        ASSERT_EQ(run.Log.Codes.size(), 1u);
        EXPECT_EQ(run.Log.Codes[0], c.code);
        EXPECT_EQ(run.Log.Texts[0], CVantrelDevice().GetErrorText(c.code));
        EXPECT_GE(run.Resyncs, 1u);  // Restart begins with a resynchronisation
        if (c.code == kUpdateUploadFailed) {
            // The block steps of a two-block package carry the block number.
            const auto suffixed = std::count_if(
                run.Log.Status.begin(), run.Log.Status.end(),
                [](const auto& t) { return t.size() > 6 && t.substr(t.size() - 6) == u" [1/2]"; });
            EXPECT_GE(suffixed, 2);
        }
    }
}

TEST(E2eUpdateJob, BlocksOfSkippedEntriesAreReadPastAndTheJobFinishes) {
    // Entry 1 covers block 0, entry 2 block 1; both carry the skip bit.
    CContents selection;
    SContentEntry first;
    first.FlagA = 0x81;
    first.ValueA = 0;
    first.ValueB = 1;
    SContentEntry second = first;
    second.ValueA = 1;
    selection.Add(first);
    selection.Add(second);
    SJobRun run;
    RunJob(PackageWithBody(0x05010000), &selection, run);
    ASSERT_EQ(run.Log.Codes.size(), 1u);
    EXPECT_EQ(run.Log.Codes[0], kUpdateOk);
    EXPECT_EQ(run.Log.Texts[0], u"");
    EXPECT_EQ(run.PackageRead, run.PackageSize);
    EXPECT_EQ(run.Resyncs, 0u);
}

TEST(E2eUpdateJob, NothingHappensWithoutDeviceOrPackage) {
    CJobLog log;
    SJobEntry job;
    job.JobType = JobUpdate;
    job.Callback = &log;
    RunUpdateJob(job);
    CVantrelDevice unattached;
    job.UpdateDevice = &unattached;
    CMemoryStream stream(PackageWithBody(0x05010000));
    job.UpdatePackage = &stream;
    RunUpdateJob(job);
    EXPECT_TRUE(log.Codes.empty());
    EXPECT_EQ(stream.Position(), 0u);
}
