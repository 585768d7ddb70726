#pragma once
// What the simulated hammer holds: its identity, its series, its curve slots,
// its custom statistics rule, its clock and the link state. The simulator loads
// it from a JSON state file, changes it as requests arrive and writes it back.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sim {

// One reading exactly as the hammer stores it.
struct SSimReading {
    std::uint8_t QHalf = 0;
    std::uint16_t Energy = 0;
    std::uint8_t Extra = 0;
    bool operator==(const SSimReading&) const = default;
};

// One series with every header field of both record layouts. Fields that a
// layout has no room for are simply not sent in that layout.
struct SSimSeries {
    std::uint16_t ImpactCounter = 0;
    std::uint16_t InfoA = 0;
    std::uint32_t DateTime = 0;  // seconds since 2000-01-01 00:00:00
    std::uint8_t Mode = 0;       // averaging mode
    std::uint8_t InfoB = 0;
    std::uint8_t InfoC = 0;
    std::uint8_t UpperOutliers = 0;
    std::uint8_t LowerOutliers = 0;
    std::uint8_t Curve = 0;
    std::uint8_t Unit = 0;
    std::uint8_t Form = 0;
    std::uint8_t InfoD = 0;
    // Old layout: carbonation code. New layout: carbonation factor in percent
    // (the only byte the new layout has for it; 0 stands for 100 %).
    std::uint8_t Carbonation = 0;
    std::uint16_t Unused2 = 0;  // old layout, offset 2
    std::uint8_t Unused11 = 0;  // old layout, offset 11
    // Old hammers wrote a count of 1 into some multi-reading series; the reader
    // then has to find the next header. Set to reproduce such a record.
    bool CountQuirk = false;
    std::vector<SSimReading> Readings;
    bool operator==(const SSimSeries&) const = default;
};

struct SSimCurveSlot {
    std::uint8_t QMin = 0;
    std::uint8_t QMax = 0;
    std::uint8_t Kind = 0;  // 0 polynomial, 1 exponential
    float A = 0, B = 0, C = 0, D = 0;
    std::array<std::uint8_t, 10> Name{};  // 8-bit characters, zero padded
    std::uint8_t Flags = 9;
    bool operator==(const SSimCurveSlot&) const = default;
};

struct SSimStatistics {
    std::uint8_t Mode = 2;
    std::uint8_t MinImpacts = 10;
    std::uint8_t MaxImpacts = 10;
    std::uint8_t UpperOutliers = 0;
    std::uint8_t LowerOutliers = 0;
    bool operator==(const SSimStatistics&) const = default;
};

struct SSimClock {
    int Year = 2000, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
    bool operator==(const SSimClock&) const = default;
};

struct SSimIdentity {
    std::string DeviceType;
    std::string HardwareRevision;
    std::string SerialNumber;
    std::string Signature;  // hexadecimal text
    std::string ApplicationVersion;
    std::string BootloaderVersion;
    bool operator==(const SSimIdentity&) const = default;
};

struct SSimState {
    bool NewFormat = false;
    SSimIdentity Identity;
    // When set, the "@ID@" answer verbatim instead of the one built from Identity.
    std::optional<std::string> IdentifyReply;
    std::uint32_t DeviceCode = 0x05000000;
    bool DownloadSupported = true;
    std::uint8_t FormatByte = 1;  // first byte of a new-layout download
    std::uint8_t CheckKind = 2;   // check kind of the download reply: 0, 1, 2 or 4
    std::vector<std::uint8_t> Modes{0, 8, 12};
    std::uint8_t ActiveMode = 8;
    std::uint32_t ModeSwitchMs = 300;
    bool Echo = false;
    SSimClock Clock;
    bool ClockSet = false;  // a clock request was accepted since the state was loaded
    bool LinkOn = false;
    std::uint32_t LinkSeconds = 0;
    std::uint32_t LinkOffCount = 0;
    std::array<std::optional<SSimCurveSlot>, 3> Slots;
    std::optional<SSimStatistics> Statistics;  // new format only
    std::vector<SSimSeries> Series;
    bool operator==(const SSimState&) const = default;
};

// The new-layout identity defaults, so that a state file names only what it changes.
SSimState DefaultState(bool newFormat);

}  // namespace Sim
