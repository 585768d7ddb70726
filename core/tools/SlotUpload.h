#pragma once
// The hammer's custom curve slots C1 to C3 from the program's side: how a slot
// and a library curve turn into each other, the checks a curve must pass
// before it goes into a slot, and the upload and emptying of a slot with their
// questions. The curve upload dialog and `brelvantor-cli slots` share them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/CurveSlot.h"
#include "model/ConvCust.h"

namespace Device {
class CVantrelDevice;
}

namespace Text {
class IUserPrompt;
}

namespace Tools {

using TCurveSlots = std::array<Device::SCurveSlot, 3>;

inline constexpr unsigned kIdSlotEmpty = 59544;     // "[Empty]"
inline constexpr unsigned kIdSlotTypeLOnN = 59549;  // type L curve to a type N hammer
inline constexpr unsigned kIdSlotTypeNOnL = 59550;  // type N curve to a type L hammer
inline constexpr unsigned kIdSlotSameCurveTwice = 59551;
inline constexpr unsigned kIdSlotOverwrite = 59548;       // "You are about to overwrite %s ..."
inline constexpr unsigned kIdSlotNotSupported = 59579;    // exponential or cubic on an old hammer
inline constexpr unsigned kIdSlotEmptyNewFormat = 59580;  // "... default reference conversion curve ..."
inline constexpr unsigned kIdSlotEmptyOldFormat = 59547;  // "... default TOLVEX conversion curve ..."
inline constexpr unsigned kIdImproperArgument = 61477;    // device type text too short
inline constexpr unsigned kIdSlotsUnreadable = 59442;
inline constexpr unsigned kIdSlotWriteFailed = 62600;
inline constexpr unsigned kIdSlotEmptyFailed = 62615;
inline constexpr unsigned kIdSlotCurveDamaged = 62895;  // coefficients or Q range cannot be right

// The slot's label, "C1", "C2" or "C3".
std::u16string SlotLabel(int slot);
// 0, 1 or 2 for "C1", "C2", "C3" (any letter case); nothing otherwise.
std::optional<int> ParseSlotLabel(std::u16string_view label);

// The library record of a filled slot: the slot's 30 wire bytes are bytes 1 to
// 30 of the record; it counts as read from the hammer.
TConvCust CurveFromSlot(const Device::SCurveSlot& slot);
// The slot a library curve is written as.
Device::SCurveSlot SlotFromCurve(const TConvCust& curve);
// The slot's name as shown (its non-zero bytes in Windows-1252).
std::u16string SlotCurveName(const Device::SCurveSlot& slot);
// What the slot display shows: "[Empty]" or the curve's name.
std::u16string SlotContentText(const Device::SCurveSlot& slot);

// The hammer type letter of a device type text: 'N' or 'L' at position 15 or
// 16, else 0.
bool DeviceTypeHasLetter(std::string_view deviceType, char letter);

// The checks of an upload, in order; 0 when the curve may go into a slot:
// 61477 a device type text shorter than 16 characters; 59549 a curve without
// the type N bit for a type N hammer; 59550 likewise for type L; 59579 an
// exponential or cubic curve for a hammer without the newer format; 59551 a
// curve whose name a filled slot already carries; 62895 a curve that cannot
// be right (a coefficient it uses is not a finite number, an unknown kind, a Q
// range that is empty, upside down or beyond 100), as a damaged file gives it.
unsigned CheckSlotUpload(std::string_view deviceType, bool newFormat, const TConvCust& curve,
                         const TCurveSlots& slots);

// The overwrite question for filling a slot that holds a curve.
std::u16string OverwriteQuestion(const Device::SCurveSlot& slot, const TConvCust& curve);
// The question asked before a filled slot is emptied; 59580 for the newer
// format, 59547 for the older one.
unsigned EmptySlotQuestionId(bool newFormat);

// --- Talking to the hammer ---------------------------------------------------

// Reads the three slots. On failure shows 59442 and returns false; the caller
// lets the hammer go.
bool ReadSlots(Device::CVantrelDevice& hammer, TCurveSlots& slots, Text::IUserPrompt& prompt);

enum class ESlotOutcome {
    Done,      // written or emptied, and the hammer confirmed it
    Refused,   // a check refused the curve; its message was shown
    Declined,  // the question was not answered Yes
    Failed,    // the hammer did not confirm; the message was shown
};

struct TSlotResult {
    ESlotOutcome outcome = ESlotOutcome::Failed;
    unsigned messageId = 0;  // the refusal or failure message shown
};

// Uploads `curve` into slot 0, 1 or 2: asks the hammer's short identification
// afresh, runs the checks against `shown` (the slot contents the user sees),
// asks before replacing a filled slot, writes. The caller reads the slots
// again afterwards, whatever the outcome.
TSlotResult UploadCurveToSlot(Device::CVantrelDevice& hammer, const TConvCust& curve, int slot,
                              const TCurveSlots& shown, Text::IUserPrompt& prompt);
// Empties slot 0, 1 or 2, asking first when `shown` holds a curve there.
TSlotResult EmptySlot(Device::CVantrelDevice& hammer, int slot, const TCurveSlots& shown,
                      Text::IUserPrompt& prompt);

}  // namespace Tools
