#pragma once
// Builders and fixture helpers shared by the report tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "model/CurveStore.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "model/VantrelObject.h"
#include "text/Encoding.h"

namespace ReportTest {

// A type N hammer in the old download format: the letter at index 15.
inline const std::u16string kTypeN = u"Talvenbrecker  N";

// 2023-05-04 13:07:09 on the hammer's clock.
inline constexpr std::uint32_t kMay4 = 736520829;

struct TSeriesSetup {
    std::uint16_t impactCounter = 1;
    std::u16string name{};
    std::uint32_t dateTime = kMay4;
    std::uint8_t mode = kModeMean;
    std::uint8_t unit = kUnitNmm2;
    std::uint8_t curve = 1;  // 19 to 61 Q for type N
    std::uint8_t form = 4;   // cube 150 mm, factor 1.00
    std::uint8_t carbonation = 0;
    std::vector<double> q{};
    std::uint16_t energy = 500;
    std::u16string serial = u"S-1001";
    std::u16string comment{};
    std::uint8_t expanded = 0;
    std::uint8_t upper = 0;
    std::uint8_t lower = 0;
};

inline TVantrelObject MakeSeries(const TSeriesSetup& setup) {
    TVantrelObject s;
    s.ImpactCounter = setup.impactCounter;
    s.Name = setup.name;
    s.DateTime = setup.dateTime;
    s.AveragingMode = setup.mode;
    s.Unit = setup.unit;
    s.CurveId = setup.curve;
    s.FormCode = setup.form;
    s.CarbonationCode = setup.carbonation;
    s.DeviceType = kTypeN;
    s.SerialNumber = setup.serial;
    s.Comment = setup.comment;
    s.Expanded = setup.expanded;
    s.UpperOutliers = setup.upper;
    s.LowerOutliers = setup.lower;
    for (double v : setup.q) s.Readings.push_back(TMeas{static_cast<std::uint8_t>(v * 2), setup.energy, 0});
    s.ResetReadingFlags();
    return s;
}

inline int Add(CHammerData& data, const TSeriesSetup& setup) {
    data.AppendSeries(MakeSeries(setup));
    return data.GetCount() - 1;
}

// Every test that converts starts with an empty custom curve store.
class CCurveStoreScope {
  public:
    CCurveStoreScope() { CCurveStore::Instance().Clear(); }
    ~CCurveStoreScope() { CCurveStore::Instance().Clear(); }
};

inline std::filesystem::path FixturePath(const char* name) {
    return std::filesystem::path(BRELVANTOR_SOURCE_DIR) / "tests" / "fixtures" / "report" / name;
}

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Tabs, CR and LF made visible, so a failing comparison shows where it differs.
inline std::string Visible(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c == u'\t')
            out += "<TAB>";
        else if (c == u'\r')
            out += "<CR>";
        else if (c == u'\n')
            out += "<LF>\n";
        else
            out += Text::ToUtf8(std::u16string_view(&c, 1));
    }
    return out;
}

// The text an export file holds, after checking its byte-order mark.
inline std::u16string DecodeExportFile(const std::string& bytes) {
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
    EXPECT_EQ(bytes.size() % 2, 0u);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

inline std::u16string FixtureText(const char* name) {
    return DecodeExportFile(ReadBytes(FixturePath(name)));
}

#define EXPECT_SAME_TEXT(expected, actual) \
    EXPECT_EQ(ReportTest::Visible(expected), ReportTest::Visible(actual))

}  // namespace ReportTest
