#include "SimWire.h"

#include <cstring>

namespace Sim {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutFloat(std::vector<std::uint8_t>& out, float f) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    Put32(out, bits);
}

float GetFloat(const std::uint8_t* p) {
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                               static_cast<std::uint32_t>(p[2]) << 16 |
                               static_cast<std::uint32_t>(p[3]) << 24;
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void PutReadings(std::vector<std::uint8_t>& out, const SSimSeries& s) {
    for (const auto& r : s.Readings) {
        out.push_back(r.QHalf);
        Put16(out, r.Energy);
        out.push_back(r.Extra);
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeRecordOld(const SSimSeries& s) {
    std::vector<std::uint8_t> out;
    out.reserve(kRecordHeaderSize + 4 * s.Readings.size());
    Put16(out, s.ImpactCounter);
    Put16(out, s.Unused2);
    Put16(out, s.InfoA);
    Put32(out, s.DateTime);
    out.push_back(s.Unit);
    out.push_back(s.Unused11);
    out.push_back(s.CountQuirk ? 1 : static_cast<std::uint8_t>(s.Readings.size()));
    out.push_back(s.Mode);
    out.push_back(s.Carbonation);
    out.push_back(s.Curve);
    out.push_back(s.Form);
    out.push_back(s.InfoD);
    PutReadings(out, s);
    return out;
}

std::vector<std::uint8_t> EncodeRecordNew(const SSimSeries& s) {
    std::vector<std::uint8_t> out;
    out.reserve(kRecordHeaderSize + 4 * s.Readings.size());
    Put16(out, s.ImpactCounter);
    Put16(out, s.InfoA);
    Put32(out, s.DateTime);
    out.push_back(static_cast<std::uint8_t>(s.Readings.size()));
    out.push_back(s.Mode);
    out.push_back(s.InfoB);
    out.push_back(s.InfoC);
    out.push_back(s.UpperOutliers);
    out.push_back(s.LowerOutliers);
    out.push_back(s.Curve);
    out.push_back(s.Unit);
    out.push_back(s.Form);
    out.push_back(s.Carbonation);
    PutReadings(out, s);
    return out;
}

std::vector<std::uint8_t> EncodeSlotNew(const SSimCurveSlot& slot) {
    std::vector<std::uint8_t> out{slot.QMin, slot.QMax, slot.Kind};
    PutFloat(out, slot.A);
    PutFloat(out, slot.B);
    PutFloat(out, slot.C);
    PutFloat(out, slot.D);
    out.insert(out.end(), slot.Name.begin(), slot.Name.end());
    out.push_back(slot.Flags);
    return out;
}

std::vector<std::uint8_t> EncodeSlotOld(const SSimCurveSlot& slot) {
    // The old layout has no kind and no cubic term.
    std::vector<std::uint8_t> out{slot.QMin, slot.QMax};
    PutFloat(out, slot.B);
    PutFloat(out, slot.C);
    PutFloat(out, slot.D);
    out.insert(out.end(), slot.Name.begin(), slot.Name.end());
    out.push_back(slot.Flags);
    return out;
}

SSimCurveSlot DecodeSlotNew(std::span<const std::uint8_t> b) {
    SSimCurveSlot slot;
    if (b.size() < kSlotNewSize) return slot;
    slot.QMin = b[0];
    slot.QMax = b[1];
    slot.Kind = b[2];
    slot.A = GetFloat(&b[3]);
    slot.B = GetFloat(&b[7]);
    slot.C = GetFloat(&b[11]);
    slot.D = GetFloat(&b[15]);
    std::memcpy(slot.Name.data(), &b[19], slot.Name.size());
    slot.Flags = b[29];
    return slot;
}

SSimCurveSlot DecodeSlotOld(std::span<const std::uint8_t> b) {
    SSimCurveSlot slot;
    if (b.size() < kSlotOldSize) return slot;
    slot.QMin = b[0];
    slot.QMax = b[1];
    slot.B = GetFloat(&b[2]);
    slot.C = GetFloat(&b[6]);
    slot.D = GetFloat(&b[10]);
    std::memcpy(slot.Name.data(), &b[14], slot.Name.size());
    slot.Flags = b[24];
    return slot;
}

std::vector<std::uint8_t> EncodeExtendedReply(std::span<const std::uint8_t> data, std::uint8_t checkKind,
                                              bool corrupt) {
    const auto n = static_cast<std::uint32_t>(data.size());
    std::vector<std::uint8_t> out{0xEF, checkKind, static_cast<std::uint8_t>(n),
                                  static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16)};
    out.reserve(out.size() + data.size() + 4);
    out.insert(out.end(), data.begin(), data.end());
    switch (checkKind) {
        case 1:
            out.push_back(static_cast<std::uint8_t>(SimCrc8(data) ^ (corrupt ? 0xFF : 0)));
            break;
        case 2:
            Put16(out, static_cast<std::uint16_t>(SimCrc16(data) ^ (corrupt ? 0xFFFF : 0)));
            break;
        case 4:
            Put32(out, SimCrc32(data) ^ (corrupt ? 0xFFFFFFFFu : 0));
            break;
        default:
            break;  // no check bytes
    }
    return out;
}

std::uint8_t SimCrc8(std::span<const std::uint8_t> data) {
    std::uint8_t crc = 0;
    for (const std::uint8_t byte : data) {
        crc ^= byte;
        for (int i = 0; i < 8; ++i) crc = (crc & 1) ? static_cast<std::uint8_t>((crc >> 1) ^ 0x8C) : crc >> 1;
    }
    return crc;
}

std::uint16_t SimCrc16(std::span<const std::uint8_t> data) {
    std::uint16_t crc = 0;
    for (const std::uint8_t byte : data) {
        crc ^= byte;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

std::uint32_t SimCrc32(std::span<const std::uint8_t> data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : data) {
        crc ^= byte;
        for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return data.empty() ? 0 : ~crc;
}

}  // namespace Sim
