// Curve slot replies of both formats, and the slot bytes the hammer is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "device/CurveSlot.h"
#include "model/ConvCust.h"

using namespace Device;

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutFloat(Bytes& b, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

// A slot in the newer wire form: Q 20..60, kind, a..d, the name, flags 10.
// The slot's 10-byte name field: the name, zero-padded (a 10-character name
// has no terminating zero).
void AppendName(Bytes& b, const char* name) {
    const std::size_t length = std::min<std::size_t>(std::strlen(name), 10);
    b.insert(b.end(), name, name + length);
    b.insert(b.end(), 10 - length, 0);
}

Bytes NewSlot(std::uint8_t kind, float a, const char* name) {
    Bytes b{20, 60, kind};
    PutFloat(b, a);
    PutFloat(b, 0.5f);
    PutFloat(b, 1.25f);
    PutFloat(b, -3.0f);
    AppendName(b, name);
    b.push_back(10);
    return b;
}

Bytes OldSlot(const char* name) {
    Bytes b{25, 55};
    PutFloat(b, 0.5f);
    PutFloat(b, 1.25f);
    PutFloat(b, -3.0f);
    AppendName(b, name);
    b.push_back(9);
    return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

int Length(const Bytes& b) {
    return static_cast<int>(b.size());
}

}  // namespace

// SCurveSlot is packed like the wire record: its floats are read by value
// (float{...}), never bound to a reference.

TEST(HammerCurveSlots, NewFormatFillsThePresentSlots) {
    // Flags 05: C1 and C3, 60 bytes of slot data.
    const Bytes reply = Concat({{0x00, 0x05}, NewSlot(0, 0.001f, "Tunnel T1"), NewSlot(1, 0.0f, "Prefab")});
    std::array<SCurveSlot, 3> slots;
    ASSERT_TRUE(DecodeCurveSlots(Length(reply), reply, true, slots));
    EXPECT_EQ(slots[0].Empty, 0);
    EXPECT_EQ(slots[0].QMin, 20);
    EXPECT_EQ(slots[0].QMax, 60);
    EXPECT_EQ(slots[0].Kind, 0);
    EXPECT_FLOAT_EQ(float{slots[0].A}, 0.001f);
    EXPECT_FLOAT_EQ(float{slots[0].B}, 0.5f);
    EXPECT_FLOAT_EQ(float{slots[0].C}, 1.25f);
    EXPECT_FLOAT_EQ(float{slots[0].D}, -3.0f);
    EXPECT_STREQ(std::string(slots[0].Name.data(), 10).c_str(), "Tunnel T1");
    EXPECT_EQ(slots[0].Flags, 10);
    EXPECT_EQ(slots[1], SCurveSlot::Prepared());
    EXPECT_EQ(slots[2].Kind, 1);
    EXPECT_EQ(std::string(slots[2].Name.data()), "Prefab");
}

TEST(HammerCurveSlots, OldFormatHasNoKindAndNoCubicTerm) {
    const Bytes reply = Concat({{0x02}, OldSlot("Pier 3")});
    std::array<SCurveSlot, 3> slots;
    ASSERT_TRUE(DecodeCurveSlots(Length(reply), reply, false, slots));
    EXPECT_EQ(slots[0], SCurveSlot::Prepared());
    EXPECT_EQ(slots[1].Empty, 0);
    EXPECT_EQ(slots[1].QMin, 25);
    EXPECT_EQ(slots[1].Kind, 0);
    EXPECT_EQ(float{slots[1].A}, 0.0f);
    EXPECT_FLOAT_EQ(float{slots[1].B}, 0.5f);
    EXPECT_FLOAT_EQ(float{slots[1].D}, -3.0f);
    EXPECT_EQ(slots[1].Flags, 9);
    EXPECT_EQ(slots[2], SCurveSlot::Prepared());
}

TEST(HammerCurveSlots, FailedReadsLeaveEverySlotEmpty) {
    const Bytes twoNew = Concat({{0x00, 0x03}, NewSlot(0, 0, "A"), NewSlot(0, 0, "B")});
    struct Case {
        const char* what;
        int result;
        Bytes reply;
        bool newFormat;
    };
    std::vector<Case> cases = {
        {"new: nothing", 0, {}, true},
        {"new: one byte", 1, {0x00}, true},
        {"new: refusal", 2, {0x00, 0x01}, true},
        {"old: refusal", 1, {0x01}, false},
        {"old: nothing", 0, {}, false},
        {"communication failure", 252, Bytes(1000, 0), true},
        {"check sum mismatch", 250, Bytes(1000, 0), true},
        {"new: flags announce a slot that is not there", 2, {0x00, 0x04}, true},
        {"new: second slot cut short", Length(twoNew) - 1, twoNew, true},
        {"old: slot cut short", 20, Concat({{0x01}, OldSlot("X")}), false},
        {"reply longer than the buffer", 240 - 1, Bytes(100, 0), true},
    };
    // Device error codes: the buffer still holds the request byte, never slot data.
    for (int code = 240; code <= 255; ++code) {
        Bytes buffer(1000, 0);
        buffer[0] = 0x13;
        cases.push_back({"device code", code, buffer, true});
        cases.push_back({"device code (old)", code, buffer, false});
    }
    for (const auto& c : cases) {
        std::array<SCurveSlot, 3> slots;
        slots[1].Empty = 0;  // left over from an earlier read
        EXPECT_FALSE(DecodeCurveSlots(c.result, c.reply, c.newFormat, slots)) << c.what << " " << c.result;
        for (const auto& slot : slots) EXPECT_EQ(slot, SCurveSlot::Prepared()) << c.what;
    }
}

TEST(HammerCurveSlots, NoSlotsIsAValidReply) {
    std::array<SCurveSlot, 3> slots;
    EXPECT_TRUE(DecodeCurveSlots(2, Bytes{0x00, 0x00}, true, slots));
    EXPECT_TRUE(DecodeCurveSlots(1, Bytes{0x00}, false, slots));
    for (const auto& slot : slots) EXPECT_EQ(slot.Empty, 1);
}

TEST(HammerCurveSlots, EncodedSlotMatchesTheConversionRecord) {
    SCurveSlot slot;
    slot.QMin = 20;
    slot.QMax = 60;
    slot.Kind = 1;
    slot.A = 0.25f;
    slot.B = 1.9f;
    slot.C = 0.048f;
    slot.D = -1.0f;
    std::memcpy(slot.Name.data(), "Prefab", 6);
    slot.Flags = 10;
    slot.Empty = 0;

    // Newer format: the slot's 30 bytes are bytes 1 to 30 of a TConvCust.
    TConvCust curve;
    curve.QMin = 20;
    curve.QMax = 60;
    curve.Kind = 1;
    curve.A = 0.25f;
    curve.B = 1.9f;
    curve.C = 0.048f;
    curve.D = -1.0f;
    curve.SetName8("Prefab");
    curve.Flags = 10;
    const auto wire = EncodeCurveSlot(slot, true);
    ASSERT_EQ(wire.size(), 30u);
    EXPECT_EQ(0, std::memcmp(wire.data(), reinterpret_cast<const std::uint8_t*>(&curve) + 1, 30));

    // Older format: without Kind and A.
    const auto old = EncodeCurveSlot(slot, false);
    ASSERT_EQ(old.size(), 25u);
    EXPECT_EQ((Bytes(old.begin(), old.begin() + 2)), (Bytes{20, 60}));
    EXPECT_EQ((Bytes(old.begin() + 2, old.end())), (Bytes(wire.begin() + 7, wire.end())));

    // Reading the encoded slot gives it back.
    std::array<SCurveSlot, 3> slots;
    const Bytes reply = Concat({{0x00, 0x01}, wire});
    ASSERT_TRUE(DecodeCurveSlots(Length(reply), reply, true, slots));
    EXPECT_EQ(slots[0], slot);
}
