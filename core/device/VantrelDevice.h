#pragma once
// The Talvenbrecker hammer as the program sees it: identification (and the
// identity texts it caches), the data format it speaks, and its requests: clock,
// download, delete, curve slots C1 to C3 and the custom statistics rule.
//
// Every request is an application request (command 0xD1, first payload byte a
// sub-command); identification uses text commands. The newer format (hammers
// with the signature 0x05010000) marks most requests with 0x01 after the
// sub-command and has a richer series and curve slot layout.
//
// Operations are synchronous and report failure by their result; no exception
// leaves them. A failed exchange leaves the object usable.
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/CurveSlot.h"
#include "device/SeriesDecoder.h"
#include "device/ZvDevice.h"
#include "model/DownloadedSeries.h"
#include "model/Meas.h"

namespace Device {

class CVantrelDevice : public CZvDevice {
  public:
    // A downloaded reading and series, as the document imports them.
    using TMeas = ::TMeas;
    using TVantrelObject = ::TDownloadedSeries;

    static constexpr int kTypeCode = 2;
    static constexpr std::uint32_t kPortMask = 1;  // serial only
    static constexpr std::uint8_t kFamilyCode = 5;

    // Sub-commands of the application request.
    static constexpr std::uint8_t kSubSetClock = 0x06;
    static constexpr std::uint8_t kSubDownload = 0x10;
    static constexpr std::uint8_t kSubDeleteAll = 0x11;
    static constexpr std::uint8_t kSubReadSlots = 0x13;
    static constexpr std::uint8_t kSubWriteSlot = 0x14;
    static constexpr std::uint8_t kSubDeleteSlots = 0x15;
    static constexpr std::uint8_t kSubReadStatistics = 0x16;
    static constexpr std::uint8_t kSubWriteStatistics = 0x17;
    static constexpr std::uint8_t kNewFormatMark = 0x01;

    static constexpr int kRequestTimeoutMs = 2000;
    static constexpr int kDownloadBudgetMs = 60000;
    static constexpr int kDownloadCapacity = 65536;

    CVantrelDevice();
    ~CVantrelDevice() override;

    std::unique_ptr<CZvDevice> CreateInstance() const override;
    // As the base, and the engine's echo flag off again (no exchange).
    bool Attach(std::unique_ptr<StreamIO::CIoStream>&& stream, int portType) override;
    int GetBlockSize() const override { return 0; }
    int GetChecksumMode() const override { return 1; }
    // ResyncLink, then ChangeMode to mode 24 (factor 100); true when the
    // resynchronisation succeeded.
    bool Restart() override;

    // "@ID@": fills the cached identity, may set the new-format flag (never
    // clears it) and sets or clears download support. True when type,
    // application version, serial number, hardware revision and signature are
    // all there and the signature's top byte is the family code.
    bool Identify(SShortIdentity& identity) override;
    // The multi-line device information (string 20017), also kept.
    std::u16string GetInfoText() override;
    std::string GetSerialNumber() const override { return m_Identity.SerialNumber; }
    // The application (kind 1) and bootloader (kind 3) versions; identifies first
    // when no application version is cached.
    bool GetContents(CContents& contents) override;
    // Payloads up to 46 bytes go to the engine's Transact, longer ones use the
    // long frame (0xC1, command, payload, one status byte). A payload longer than
    // the buffer's capacity is refused with 254.
    int Transact(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                 int timeoutMs) override;
    bool GetIdentity(SIdentity& identity) override;
    // As the base step, with the hammer's slower mode change (factor 150).
    int LeaveUpdateMode(const SUpdateBlock& block, std::span<const std::uint8_t> preamble) override;

    // Sets the hammer's clock to `time` (seconds since 1970) in local time.
    bool SetClock(std::time_t time);
    // Downloads and decodes every series. 0 success (the list may be empty);
    // 1, 6, 12, 13 transfer failures; 14 unknown format byte; 15 refused;
    // 16 a record runs past the received data.
    int DownloadAllSeries(SDownloadResult& result);
    bool DeleteAllSeries();
    // The three slots C1, C2, C3; each is prepared as empty first. A device
    // error code or a reply that does not hold the slots it announces fails.
    bool ReadCurveSlots(SCurveSlot& c1, SCurveSlot& c2, SCurveSlot& c3);
    // Slot index 0 (C1), 1 (C2) or 2 (C3). The older format takes no Kind and no A.
    bool WriteCurveSlot(int index, const SCurveSlot& slot);
    // Mask bits kSlotC1, kSlotC2, kSlotC3.
    bool DeleteCurveSlots(std::uint8_t mask);
    // Both fail at once on a hammer without the newer format.
    bool ReadCustomStatistics(SCustomStatistics& statistics);
    bool WriteCustomStatistics(const SCustomStatistics& statistics);

    bool IsNewFormat() const { return m_NewFormat; }
    bool SupportsDownload() const { return m_DownloadSupport.value_or(false); }
    // Whether the identification told if the hammer can download at all: a
    // device type too short to carry the mark (a garbled line) does not.
    bool IsDownloadSupportKnown() const { return m_DownloadSupport.has_value(); }
    // Closes the transport quietly without detaching it.
    void ClosePort();

    // The clock request's payload for `time` in local time: 0x06, (newer format)
    // 0x01, then year - 2000, month, day, hour, minute, second. A time that
    // cannot be converted gives 48, 0, 0, 255, 255, 255.
    static std::vector<std::uint8_t> BuildClockPayload(std::time_t time, bool newFormat);

  private:
    // Sends an application request whose reply is one byte; true when it is 1.
    bool SimpleRequest(std::span<const std::uint8_t> payload, int capacity);

    SIdentity m_Identity;
    std::u16string m_InfoText;
    bool m_NewFormat = false;
    std::optional<bool> m_DownloadSupport;
};

}  // namespace Device
