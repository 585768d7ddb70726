// The clock request's payload: local calendar time, year byte, failure bytes.
#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <vector>

#include "LocalTime.h"
#include "device/Contents.h"
#include "device/VantrelDevice.h"

using Device::CVantrelDevice;
using Bytes = std::vector<std::uint8_t>;

TEST(HammerClock, PayloadIsTheLocalCalendarTime) {
    struct Case {
        std::time_t time;
        bool newFormat;
        Bytes payload;
    };
    const Case cases[] = {
        {LocalTime(2013, 4, 5, 10, 20, 30), false, {0x06, 0x0D, 0x04, 0x05, 0x0A, 0x14, 0x1E}},
        {LocalTime(2013, 4, 5, 10, 20, 30), true, {0x06, 0x01, 0x0D, 0x04, 0x05, 0x0A, 0x14, 0x1E}},
        {LocalTime(2000, 1, 1, 0, 0, 0), false, {0x06, 0, 1, 1, 0, 0, 0}},
        {LocalTime(2255, 12, 31, 23, 59, 59), false, {0x06, 255, 12, 31, 23, 59, 59}},
        // Past 2255 the year byte wraps: the low 8 bits of the year plus 48.
        {LocalTime(2300, 6, 1, 12, 0, 0), false, {0x06, 44, 6, 1, 12, 0, 0}},
        // A time the calendar cannot hold.
        {std::numeric_limits<std::time_t>::max(), false, {0x06, 48, 0, 0, 255, 255, 255}},
        {std::numeric_limits<std::time_t>::max(), true, {0x06, 0x01, 48, 0, 0, 255, 255, 255}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CVantrelDevice::BuildClockPayload(c.time, c.newFormat), c.payload) << c.time;
    }
}

TEST(HammerClock, NoTransportMeansNoSuccess) {
    CVantrelDevice hammer;
    EXPECT_FALSE(hammer.SetClock(std::time(nullptr)));
    Device::SDownloadResult result;
    EXPECT_NE(hammer.DownloadAllSeries(result), Device::kDownloadOk);
    Device::SCurveSlot a, b, c;
    EXPECT_FALSE(hammer.ReadCurveSlots(a, b, c));
    Device::SShortIdentity id;
    EXPECT_FALSE(hammer.Identify(id));
    Device::CContents contents;
    EXPECT_FALSE(hammer.GetContents(contents));
    hammer.ClosePort();
    EXPECT_EQ(hammer.GetSerialSettings().BaudRate, 38400u);
    EXPECT_EQ(hammer.GetSerialSettings().Flow, 4);
    EXPECT_EQ(hammer.GetSerialSettings().ReadTimeout, 1000u);
    EXPECT_EQ(hammer.GetSerialSettings().WriteTimeout, 50u);
    EXPECT_EQ(hammer.GetTypeCode(), 2);
    EXPECT_EQ(hammer.GetName(), "Talvenbrecker");
    EXPECT_EQ(hammer.GetBlockSize(), 0);
    EXPECT_EQ(hammer.GetChecksumMode(), 1);
    EXPECT_TRUE(dynamic_cast<CVantrelDevice*>(hammer.CreateInstance().get()));
}
