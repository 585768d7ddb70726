// The two series layouts, decoded from bytes written out by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "device/SeriesDecoder.h"

using namespace Device;

namespace {

using Bytes = std::vector<std::uint8_t>;

const SIdentity kIdentity{"Talvenbrecker PCL", "2.4.1", "TB-L-20417", "HW 3.0", "05010000", "1.2.0"};

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// New layout, header count 2: impact counter 0x1234, info A 0xFFFE, time
// 0x2B3C4D5E, mode 2, info B 7, info C 8, outliers 1 and 2, curve 50, unit 1,
// form 3, carbonation byte as given.
Bytes NewHeader(std::uint8_t count, std::uint8_t carbonation) {
    return {0x34, 0x12, 0xFE, 0xFF, 0x5E, 0x4D, 0x3C, 0x2B, count, 2, 7, 8, 1, 2, 50, 1, 3, carbonation};
}

// Old layout: impact counter 0x0102, unused 0xAAAA, info A 5, time 0x11223344,
// unit 1, unused 0xBB, count, mode, carbonation 4, curve 2, form 1, info D 9.
Bytes OldHeader(std::uint8_t count, std::uint8_t mode) {
    return {0x02, 0x01, 0xAA, 0xAA, 0x05, 0x00, 0x44, 0x33, 0x22, 0x11, 1, 0xBB, count, mode, 4, 2, 1, 9};
}

// A reading group that can never pass for an old-layout header start.
Bytes Reading(std::uint8_t q) {
    return {q, 0x20, 0x03, 0x00};
}

}  // namespace

TEST(HammerSeriesDecoder, NewFormatEmptyAndFormatByte) {
    struct Case {
        Bytes bytes;
        int code;
        std::uint8_t formatByte;
    };
    const Case cases[] = {
        {{}, kDownloadOk, 0},
        {{0x00}, kDownloadOk, 0},
        {{0x01}, kDownloadOk, 1},
        {{0x02}, kDownloadUnknownFormat, 2},
        {{0xFF, 0x00, 0x00}, kDownloadUnknownFormat, 0xFF},
    };
    for (const auto& c : cases) {
        SDownloadResult result;
        result.Series.resize(3);  // left over from an earlier call
        EXPECT_EQ(DecodeSeriesNewFormat(c.bytes, kIdentity, result), c.code);
        EXPECT_EQ(result.FormatByte, c.formatByte);
        EXPECT_TRUE(result.Series.empty());
    }
}

TEST(HammerSeriesDecoder, NewFormatRecordFields) {
    for (const std::uint8_t carbonation : {std::uint8_t{0}, std::uint8_t{85}}) {
        const Bytes bytes =
            Concat({{0x01}, NewHeader(2, carbonation), {90, 0x00, 0x02, 1, 92, 0x12, 0x02, 0}});
        ASSERT_EQ(bytes.size(), 1u + 18u + 8u);
        SDownloadResult result;
        ASSERT_EQ(DecodeSeriesNewFormat(bytes, kIdentity, result), kDownloadOk);
        ASSERT_EQ(result.Series.size(), 1u);
        const auto& s = result.Series[0];
        EXPECT_EQ(s.ImpactCounter, 0x1234);
        EXPECT_EQ(s.DeviceInfoA, -2);
        EXPECT_EQ(s.DateTime, 0x2B3C4D5Eu);
        EXPECT_EQ(s.DeviceCount, 2);
        EXPECT_EQ(s.AveragingMode, 2);
        EXPECT_EQ(s.DeviceInfoB, 7);
        EXPECT_EQ(s.DeviceInfoC, 8);
        EXPECT_EQ(s.UpperOutliers, 1);
        EXPECT_EQ(s.LowerOutliers, 2);
        EXPECT_EQ(s.CurveId, 50);
        EXPECT_EQ(s.Unit, 1);
        EXPECT_EQ(s.FormCode, 3);
        EXPECT_EQ(s.DeviceInfoD, carbonation);
        EXPECT_EQ(s.CarbonationCode, carbonation == 0 ? 100 : carbonation);
        EXPECT_TRUE(s.NewDataFormat);
        EXPECT_EQ(s.SerialNumber, "TB-L-20417");
        EXPECT_EQ(s.DeviceType, "Talvenbrecker PCL");
        EXPECT_EQ(s.DeviceInfo, "HW 3.0");
        ASSERT_EQ(s.Readings.size(), 2u);
        EXPECT_EQ(s.Readings[0], (TMeas{90, 0x0200, 1}));
        EXPECT_EQ(s.Readings[1], (TMeas{92, 0x0212, 0}));
    }
}

TEST(HammerSeriesDecoder, NewFormatSeveralRecordsIncludingAnEmptyOne) {
    const Bytes bytes = Concat(
        {{0x01}, NewHeader(1, 0), Reading(80), NewHeader(0, 12), NewHeader(2, 0), Reading(81), Reading(82)});
    SDownloadResult result;
    ASSERT_EQ(DecodeSeriesNewFormat(bytes, kIdentity, result), kDownloadOk);
    ASSERT_EQ(result.Series.size(), 3u);
    EXPECT_EQ(result.Series[0].Readings.size(), 1u);
    EXPECT_EQ(result.Series[1].Readings.size(), 0u);
    EXPECT_EQ(result.Series[1].CarbonationCode, 12);
    ASSERT_EQ(result.Series[2].Readings.size(), 2u);
    EXPECT_EQ(result.Series[2].Readings[1].QHalf, 82);
}

// A record that does not fit in the received bytes ends decoding with a clear
// code instead of reading past them; the records before it are kept.
TEST(HammerSeriesDecoder, RecordsThatDoNotFitEndDecoding) {
    const Bytes full = Concat({NewHeader(1, 0), Reading(80)});
    struct Case {
        const char* what;
        Bytes bytes;
        bool newFormat;
        std::size_t kept;
    };
    const Case cases[] = {
        {"new: header cut short", Concat({{0x01}, full, Bytes(17, 0)}), true, 1},
        {"new: one byte after a record", Concat({{0x01}, full, {0x00}}), true, 1},
        {"new: readings cut short", Concat({{0x01}, NewHeader(3, 0), Reading(80), Reading(81)}), true, 0},
        {"new: count 255, nothing after the header", Concat({{0x01}, NewHeader(255, 0)}), true, 0},
        {"old: header cut short", Bytes(17, 0), false, 0},
        {"old: readings cut short", Concat({OldHeader(3, 1), Reading(80), Reading(81)}), false, 0},
        {"old: partial header after a record", Concat({OldHeader(1, 0), Reading(80), Bytes(10, 0)}), false,
         1},
        {"old: quirk record leaves two bytes", Concat({OldHeader(1, 2), Reading(80), Reading(81), {7, 7}}),
         false, 1},
    };
    for (const auto& c : cases) {
        SDownloadResult result;
        const int code = c.newFormat ? DecodeSeriesNewFormat(c.bytes, kIdentity, result)
                                     : DecodeSeriesOldFormat(c.bytes, kIdentity, result);
        EXPECT_EQ(code, kDownloadTruncated) << c.what;
        EXPECT_EQ(result.Series.size(), c.kept) << c.what;
    }
}

TEST(HammerSeriesDecoder, OldFormatRecordFields) {
    const Bytes bytes =
        Concat({OldHeader(2, 1), {90, 0x00, 0x02, 1}, {92, 0x12, 0x02, 0}, OldHeader(1, 0), Reading(70)});
    SDownloadResult result;
    ASSERT_EQ(DecodeSeriesOldFormat(bytes, kIdentity, result), kDownloadOk);
    ASSERT_EQ(result.Series.size(), 2u);
    const auto& s = result.Series[0];
    EXPECT_EQ(s.ImpactCounter, 0x0102);
    EXPECT_EQ(s.DeviceInfoA, 5);
    EXPECT_EQ(s.DateTime, 0x11223344u);
    EXPECT_EQ(s.Unit, 1);
    EXPECT_EQ(s.DeviceCount, 2);
    EXPECT_EQ(s.AveragingMode, 1);
    EXPECT_EQ(s.CarbonationCode, 4);
    EXPECT_EQ(s.CurveId, 2);
    EXPECT_EQ(s.FormCode, 1);
    EXPECT_EQ(s.DeviceInfoD, 9);
    EXPECT_EQ(s.UpperOutliers, 0);
    EXPECT_EQ(s.LowerOutliers, 0);
    EXPECT_EQ(s.DeviceInfoB, 0);
    EXPECT_EQ(s.DeviceInfoC, 0);
    EXPECT_FALSE(s.NewDataFormat);
    EXPECT_EQ(s.SerialNumber, "TB-L-20417");
    EXPECT_EQ(s.Readings, (std::vector<TMeas>{{90, 0x0200, 1}, {92, 0x0212, 0}}));
    // Count 1 in a "Single" series is taken as it stands.
    EXPECT_EQ(result.Series[1].Readings.size(), 1u);
    EXPECT_EQ(result.FormatByte, 0);
}

// Old hammers wrote a count of 1 into some multi-reading series; the reader
// finds the next plausible header in steps of 4 bytes from byte 22 on.
TEST(HammerSeriesDecoder, OldFormatCountOneLooksForTheNextHeader) {
    // Bytes 18..33 are four readings. The candidates at 22, 26 and 30 overlap
    // them and the next header and each fails one test (unit 13 at 22,
    // carbonation 0x44 at 26, unit 0x44 at 30); 34 starts the real header.
    const Bytes readings = {80, 0x10, 0x0D, 0, 82, 0x10, 0x0D, 0, 81, 0x10, 0x0D, 0, 83, 0x10, 0x0D, 0};
    const Bytes next = OldHeader(3, 1);
    const Bytes record = Concat({OldHeader(1, 2), readings});

    SDownloadResult result;
    ASSERT_EQ(DecodeSeriesOldFormat(Concat({record, next, Reading(70), Reading(71), Reading(72)}), kIdentity,
                                    result),
              kDownloadOk);
    ASSERT_EQ(result.Series.size(), 2u);
    EXPECT_EQ(result.Series[0].Readings.size(), 4u);
    EXPECT_EQ(result.Series[0].DeviceCount, 4);
    EXPECT_EQ(result.Series[0].Readings[3].QHalf, 83);
    EXPECT_EQ(result.Series[1].Readings.size(), 3u);

    // The same record at the end of the data takes every remaining group.
    ASSERT_EQ(DecodeSeriesOldFormat(record, kIdentity, result), kDownloadOk);
    ASSERT_EQ(result.Series.size(), 1u);
    EXPECT_EQ(result.Series[0].Readings.size(), 4u);

    // Short remainders (40 bytes or less): all remaining groups, none below 22.
    ASSERT_EQ(DecodeSeriesOldFormat(OldHeader(1, 3), kIdentity, result), kDownloadOk);
    ASSERT_EQ(result.Series.size(), 1u);
    EXPECT_EQ(result.Series[0].Readings.size(), 0u);
}

TEST(HammerSeriesDecoder, OldFormatCountKeepsLowEightBitsOfLongSeries) {
    // 70 readings behind a count of 1 and no plausible header after them.
    Bytes bytes = OldHeader(1, 2);
    for (int i = 0; i < 70; ++i) {
        const Bytes r = Reading(static_cast<std::uint8_t>(100 + i));
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    SDownloadResult result;
    ASSERT_EQ(DecodeSeriesOldFormat(bytes, kIdentity, result), kDownloadOk);
    ASSERT_EQ(result.Series.size(), 1u);
    EXPECT_EQ(result.Series[0].Readings.size(), 70u);
    EXPECT_EQ(result.Series[0].DeviceCount, 70);
}
