#include "tools/SlotUpload.h"

#include <cmath>

#include "device/VantrelDevice.h"
#include "text/Encoding.h"
#include "text/Format.h"
#include "text/StringTable.h"
#include "text/UserPrompt.h"
#include "tools/ToolStrings.h"

namespace Tools {
namespace {

bool ValidSlot(int slot) {
    return slot >= 0 && slot <= 2;
}

std::string NameBytes(const std::array<char, 10>& name) {
    std::string s;
    for (char c : name)
        if (c != 0) s.push_back(c);
    return s;
}

// Whether the record can be a curve at all. The library takes whatever its
// files hold; what goes into a slot converts every later series on the
// hammer, so a damaged record stops here.
bool SoundCurve(const TConvCust& curve) {
    if (curve.Kind != kCurvePolynomial && curve.Kind != kCurveExponential) return false;
    if (curve.QMin >= curve.QMax || curve.QMax > 100) return false;
    const bool exponential = curve.Kind == kCurveExponential;
    return std::isfinite(curve.A) && std::isfinite(curve.B) &&
           (exponential || (std::isfinite(curve.C) && std::isfinite(curve.D)));
}

}  // namespace

std::u16string SlotLabel(int slot) {
    return Text::Format(u"C%d", slot + 1);
}

std::optional<int> ParseSlotLabel(std::u16string_view label) {
    if (label.size() != 2 || (label[0] != u'C' && label[0] != u'c')) return std::nullopt;
    if (label[1] < u'1' || label[1] > u'3') return std::nullopt;
    return static_cast<int>(label[1] - u'1');
}

TConvCust CurveFromSlot(const Device::SCurveSlot& slot) {
    TConvCust curve;
    curve.Tag = 3;
    curve.QMin = slot.QMin;
    curve.QMax = slot.QMax;
    curve.Kind = slot.Kind;
    curve.A = slot.A;
    curve.B = slot.B;
    curve.C = slot.C;
    curve.D = slot.D;
    curve.CurveName = slot.Name;
    curve.Flags = slot.Flags;
    curve.OnDevice = 1;  // read from the hammer: never purged
    curve.Id = 0;
    return curve;
}

Device::SCurveSlot SlotFromCurve(const TConvCust& curve) {
    Device::SCurveSlot slot;
    slot.QMin = curve.QMin;
    slot.QMax = curve.QMax;
    slot.Kind = curve.Kind;
    slot.A = curve.A;
    slot.B = curve.B;
    slot.C = curve.C;
    slot.D = curve.D;
    slot.Name = curve.CurveName;
    slot.Flags = curve.Flags;
    slot.Empty = 0;
    return slot;
}

std::u16string SlotCurveName(const Device::SCurveSlot& slot) {
    return Text::FromCp1252(NameBytes(slot.Name));
}

std::u16string SlotContentText(const Device::SCurveSlot& slot) {
    return slot.Empty ? Text::LoadString(kIdSlotEmpty) : SlotCurveName(slot);
}

bool DeviceTypeHasLetter(std::string_view deviceType, char letter) {
    return (deviceType.size() > 15 && deviceType[15] == letter) ||
           (deviceType.size() > 16 && deviceType[16] == letter);
}

unsigned CheckSlotUpload(std::string_view deviceType, bool newFormat, const TConvCust& curve,
                         const TCurveSlots& slots) {
    if (deviceType.size() < 16) return kIdImproperArgument;
    if (DeviceTypeHasLetter(deviceType, 'N') && !curve.UsableOnTypeN()) return kIdSlotTypeLOnN;
    if (DeviceTypeHasLetter(deviceType, 'L') && !curve.UsableOnTypeL()) return kIdSlotTypeNOnL;
    // The older format carries neither the kind nor the cubic coefficient.
    if (!newFormat && (curve.Kind == kCurveExponential || curve.A != 0.0f)) return kIdSlotNotSupported;
    // Only filled slots carry a name: a curve can never collide with the text
    // that stands for an empty slot.
    const std::string name = curve.Name8();
    for (const Device::SCurveSlot& slot : slots) {
        if (!slot.Empty && NameBytes(slot.Name) == name) return kIdSlotSameCurveTwice;
    }
    if (!SoundCurve(curve)) return kIdSlotCurveDamaged;
    return 0;
}

std::u16string OverwriteQuestion(const Device::SCurveSlot& slot, const TConvCust& curve) {
    const std::u16string old = SlotCurveName(slot);
    return Text::FormatString(kIdSlotOverwrite, old, old, curve.Name());
}

unsigned EmptySlotQuestionId(bool newFormat) {
    return newFormat ? kIdSlotEmptyNewFormat : kIdSlotEmptyOldFormat;
}

bool ReadSlots(Device::CVantrelDevice& hammer, TCurveSlots& slots, Text::IUserPrompt& prompt) {
    TCurveSlots read;
    if (!hammer.ReadCurveSlots(read[0], read[1], read[2])) {
        Text::ShowMessageId(prompt, kIdSlotsUnreadable, Text::MsgIcon::Error);
        return false;
    }
    slots = read;
    return true;
}

TSlotResult UploadCurveToSlot(Device::CVantrelDevice& hammer, const TConvCust& curve, int slot,
                              const TCurveSlots& shown, Text::IUserPrompt& prompt) {
    if (!ValidSlot(slot)) return {ESlotOutcome::Refused, kIdImproperArgument};
    // The type checks read the device type as the identification left it: a
    // hammer that does not answer leaves it empty, which the first check stops.
    Device::SShortIdentity identity;
    hammer.QuickIdentify(identity);
    const unsigned refusal = CheckSlotUpload(identity.DeviceType, hammer.IsNewFormat(), curve, shown);
    if (refusal != 0) {
        ShowToolMessage(prompt, refusal, Text::MsgIcon::Warning);
        return {ESlotOutcome::Refused, refusal};
    }
    const Device::SCurveSlot& target = shown[static_cast<std::size_t>(slot)];
    if (!target.Empty &&
        ShowToolText(prompt, kIdSlotOverwrite, OverwriteQuestion(target, curve), Text::MsgIcon::Question,
                     Text::MsgButtons::YesNoCancel) != Text::MsgResult::Yes) {
        return {ESlotOutcome::Declined, 0};
    }
    if (!hammer.WriteCurveSlot(slot, SlotFromCurve(curve))) {
        ShowToolText(prompt, kIdSlotWriteFailed,
                     FormatToolString(kIdSlotWriteFailed, curve.Name(), SlotLabel(slot)),
                     Text::MsgIcon::Error);
        return {ESlotOutcome::Failed, kIdSlotWriteFailed};
    }
    return {ESlotOutcome::Done, 0};
}

TSlotResult EmptySlot(Device::CVantrelDevice& hammer, int slot, const TCurveSlots& shown,
                      Text::IUserPrompt& prompt) {
    if (!ValidSlot(slot)) return {ESlotOutcome::Refused, kIdImproperArgument};
    const Device::SCurveSlot& target = shown[static_cast<std::size_t>(slot)];
    if (!target.Empty) {
        const unsigned question = EmptySlotQuestionId(hammer.IsNewFormat());
        if (ShowToolText(prompt, question, Text::FormatString(question, SlotCurveName(target)),
                         Text::MsgIcon::Question, Text::MsgButtons::YesNoCancel) != Text::MsgResult::Yes)
            return {ESlotOutcome::Declined, 0};
    }
    if (!hammer.DeleteCurveSlots(static_cast<std::uint8_t>(1u << slot))) {
        ShowToolText(prompt, kIdSlotEmptyFailed, FormatToolString(kIdSlotEmptyFailed, SlotLabel(slot)),
                     Text::MsgIcon::Error);
        return {ESlotOutcome::Failed, kIdSlotEmptyFailed};
    }
    return {ESlotOutcome::Done, 0};
}

}  // namespace Tools
