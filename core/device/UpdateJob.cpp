#include "device/UpdateJob.h"

#include <array>
#include <vector>

#include "device/Callback.h"
#include "device/Contents.h"
#include "device/DeviceThread.h"
#include "device/PackageHeader.h"
#include "device/UpdateBlock.h"
#include "device/ZvDevice.h"
#include "streamio/FileException.h"
#include "streamio/IoStream.h"
#include "text/StringTable.h"

namespace Device {

namespace {

constexpr unsigned kIdBlockSuffix = 20014;  // " [%d/%d]"
constexpr unsigned kIdCommFailure = 20016;
constexpr std::size_t kFewBlocks = 4;

// Which blocks to leave out: with a selection, its entries take the blocks in
// order, entry j up to block index ValueA + ValueB; entries with bit 7 of flag A
// are not sent.
std::vector<bool> BlocksToSkip(std::size_t count, const CContents* selection) {
    std::vector<bool> skip(count, false);
    if (selection == nullptr) return skip;
    std::size_t next = 0;
    for (const SContentEntry& entry : selection->GetEntries()) {
        const std::size_t end = std::min<std::size_t>(count, std::size_t{entry.ValueA} + entry.ValueB);
        for (; next < end; ++next) skip[next] = (entry.FlagA & 0x80) != 0;
    }
    return skip;
}

class CUpdateJob {
  public:
    explicit CUpdateJob(const SJobEntry& job)
        : m_Device(*job.UpdateDevice), m_Package(*job.UpdatePackage), m_Job(job) {}

    void Run() {
        // The steps report through the device's callback; lend it the job's for
        // the run when it has none.
        const bool lent = m_Job.Callback != nullptr && m_Device.SetCallback(m_Job.Callback);
        int code = kUpdateOk;
        bool streamFailed = false;
        try {
            code = Steps();
        } catch (const StreamIO::CFileException&) {
            streamFailed = true;
        }
        m_Device.SetStatusSuffix({});
        if (code != kUpdateOk || streamFailed) m_Device.Restart();
        if (lent) m_Device.TakeCallback();
        if (m_Job.Callback == nullptr) return;
        if (streamFailed) {
            m_Job.Callback->OnFinished(Text::LoadString(kIdCommFailure), kUpdateCommFailure);
        } else if (code != kUpdateOk) {
            m_Job.Callback->OnFinished(m_Device.GetErrorText(code), code);
        } else {
            m_Job.Callback->OnFinished(std::u16string(), kUpdateOk);
        }
    }

  private:
    int Steps() {
        CPackageHeader header;
        if (!header.Read(m_Package)) return kUpdateFileReadFailed;
        if (const int code = m_Device.CheckUpdateTarget(header.GetDeviceCode()); code != kUpdateOk)
            return code;
        if (const int code = m_Device.PrepareUpdate(); code != kUpdateOk) return code;

        const std::size_t count = header.GetContents().GetCount();
        std::vector<SUpdateBlock> blocks;
        blocks.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            std::array<std::uint8_t, SUpdateBlock::kSize> raw{};
            if (m_Package.Read(raw.data(), raw.size()) != raw.size()) return kUpdateFileReadFailed;
            blocks.push_back(*SUpdateBlock::Parse(raw));
        }
        const std::vector<bool> skip = BlocksToSkip(count, m_Job.UpdateSelection);

        // A short update lets the transfers report their own progress; a long one
        // reports per block.
        const bool few = count < kFewBlocks;
        if (m_Job.Callback != nullptr) m_Job.Callback->SetProgressEnabled(few);
        const auto& preamble = header.GetPreamble();
        for (std::size_t i = 0; i < count; ++i) {
            if (skip[i]) {
                if (const int code = m_Device.SkipUpdateBlock(m_Package, blocks[i]); code != kUpdateOk)
                    return code;
                continue;
            }
            m_Device.SetStatusSuffix(count >= 2 ? Text::FormatString(kIdBlockSuffix, static_cast<int>(i + 1),
                                                                     static_cast<int>(count))
                                                : std::u16string());
            if (const int code = m_Device.EnterUpdateMode(blocks[i], preamble); code != kUpdateOk)
                return code;
            if (const int code = m_Device.SendUpdateData(m_Package, blocks[i]); code != kUpdateOk)
                return code;
            if (const int code = m_Device.WriteUpdate(blocks[i]); code != kUpdateOk) return code;
            if (const int code = m_Device.LeaveUpdateMode(blocks[i], preamble); code != kUpdateOk)
                return code;
            if (!few && m_Job.Callback != nullptr) {
                m_Job.Callback->OnProgress(static_cast<int>((i + 1) * 100 / count), 1, 0);
            }
        }
        m_Device.SetStatusSuffix({});
        return m_Device.FinishUpdate();
    }

    CZvDevice& m_Device;
    StreamIO::CIoStream& m_Package;
    const SJobEntry& m_Job;
};

}  // namespace

void RunUpdateJob(const SJobEntry& job) {
    if (job.UpdateDevice == nullptr || job.UpdateDevice->GetStream() == nullptr ||
        job.UpdatePackage == nullptr) {
        return;
    }
    CUpdateJob(job).Run();
}

}  // namespace Device
