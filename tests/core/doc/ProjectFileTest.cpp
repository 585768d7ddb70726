// Project files: the version 3 layout both ways, the old versions 1 and 2, and
// damaged or hostile data.
#include <gtest/gtest.h>

#include <functional>

#include "DocTestSupport.h"
#include "doc/DocStrings.h"
#include "doc/ProjectContent.h"
#include "doc/ProjectReader.h"
#include "streamio/FileException.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

using namespace DocTest;

namespace {

void ExpectSameSeries(const TVantrelObject& a, const TVantrelObject& b, bool compareDisplayState = true) {
    if (compareDisplayState) {
        EXPECT_EQ(a.Version, b.Version);
        EXPECT_EQ(a.DiagramOrder, b.DiagramOrder);
    }
    EXPECT_EQ(a.ImpactCounter, b.ImpactCounter);
    EXPECT_EQ(a.DeviceInfoA, b.DeviceInfoA);
    EXPECT_EQ(a.DateTime, b.DateTime);
    EXPECT_EQ(a.DeviceCount, b.DeviceCount);
    EXPECT_EQ(a.AveragingMode, b.AveragingMode);
    EXPECT_EQ(a.DeviceInfoB, b.DeviceInfoB);
    EXPECT_EQ(a.DeviceInfoC, b.DeviceInfoC);
    EXPECT_EQ(a.UpperOutliers, b.UpperOutliers);
    EXPECT_EQ(a.LowerOutliers, b.LowerOutliers);
    EXPECT_EQ(a.CurveId, b.CurveId);
    EXPECT_EQ(a.Unit, b.Unit);
    EXPECT_EQ(a.FormCode, b.FormCode);
    EXPECT_EQ(a.DeviceInfoD, b.DeviceInfoD);
    EXPECT_EQ(a.CarbonationCode, b.CarbonationCode);
    EXPECT_EQ(a.Readings, b.Readings);
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Comment, b.Comment);
    EXPECT_EQ(a.NewDataFormat, b.NewDataFormat);
    EXPECT_EQ(a.SerialNumber, b.SerialNumber);
    EXPECT_EQ(a.DeviceType, b.DeviceType);
    EXPECT_EQ(a.DeviceInfo, b.DeviceInfo);
    EXPECT_EQ(a.ExtraText, b.ExtraText);
    EXPECT_EQ(a.Expanded, b.Expanded);
    EXPECT_EQ(a.UseInSummary, b.UseInSummary);
}

// A series with every field away from its default, distinct per `seed`.
TVantrelObject RichSeries(int seed) {
    TVantrelObject s =
        MakeSeries({20.5, 30.0, 44.5}, kModeMeanOutlier, static_cast<std::uint8_t>(50 + seed % 2));
    const auto k = static_cast<std::uint8_t>(seed);
    s.Version = CVersion(1, 2, static_cast<std::uint16_t>(seed), 65535);
    s.ImpactCounter = static_cast<std::uint16_t>(60000 + seed);
    s.DeviceInfoA = static_cast<std::int16_t>(-1000 - seed);
    s.DateTime = 0xF0000000u + static_cast<std::uint32_t>(seed);
    s.DeviceCount = static_cast<std::uint8_t>(200 + k);
    s.DeviceInfoB = static_cast<std::uint8_t>(11 + k);
    s.DeviceInfoC = static_cast<std::uint8_t>(22 + k);
    s.UpperOutliers = 1;
    s.LowerOutliers = 1;
    s.Unit = kUnitMPa;
    s.FormCode = static_cast<std::uint8_t>(20 + k);
    s.DeviceInfoD = static_cast<std::uint8_t>(33 + k);
    s.CarbonationCode = static_cast<std::uint8_t>(85 + k);
    s.Readings[1].Extra = 0xAB;
    s.Readings[2].Energy = 0xFEDC;
    s.Name = u"Pfeiler \u00fc\u20ac " + std::u16string(1, static_cast<char16_t>(u'A' + seed));
    s.Comment = u"Kommentar\r\nzweite Zeile";
    s.NewDataFormat = static_cast<std::uint8_t>(seed % 2);
    s.SerialNumber = u"SN-" + std::u16string(1, static_cast<char16_t>(u'0' + seed));
    s.DeviceInfo = u"HW 3.1";
    s.ExtraText = u"extra";
    s.DiagramOrder = static_cast<std::int16_t>(seed % 2);
    s.Expanded = 1;
    s.UseInSummary = 0;
    return s;
}

}  // namespace

class ProjectFile : public DocFixture {};

TEST_F(ProjectFile, RoundTripKeepsEveryFieldOfBothContainersSummaryAndCurves) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    TConvCust hammerCurve = MakeCurve("SLOT1", 0.7f, 0x0B);
    hammerCurve.OnDevice = 1;
    hammerCurve.Kind = kCurveExponential;
    hammerCurve.D = -3.25f;
    ASSERT_EQ(CCurveStore::Instance().AddCurve(hammerCurve, 50).id, 50);
    ASSERT_EQ(CCurveStore::Instance().AddCurve(MakeCurve("MINE", 0.9f), 51).id, 51);
    for (int i = 0; i < 2; ++i) doc.OriginalData().AppendSeries(RichSeries(i));
    for (int i = 2; i < 5; ++i) doc.WorkingData().AppendSeries(RichSeries(i));
    doc.OriginalData().SetSortKey(3);
    doc.WorkingData().SetSortKey(18);
    doc.Summary().AppendLoadedEntry(u"Br\u00fccke", 1, 2);
    doc.Summary().AppendLoadedEntry(u"second", -1, 1);

    const Bytes saved = SavedBytes(doc);
    CCurveStore::Instance().Clear();

    CHammerDoc loaded(prompt);
    ASSERT_TRUE(loaded.OpenProject(PathOf("saved.zvh")));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(loaded.IsModified());
    ASSERT_EQ(loaded.OriginalData().GetCount(), 2);
    ASSERT_EQ(loaded.WorkingData().GetCount(), 3);
    for (int i = 0; i < 2; ++i)
        ExpectSameSeries(loaded.OriginalData().Series(i), doc.OriginalData().Series(i));
    for (int i = 0; i < 3; ++i) ExpectSameSeries(loaded.WorkingData().Series(i), doc.WorkingData().Series(i));
    EXPECT_EQ(loaded.OriginalData().GetSortKey(), 3);
    EXPECT_EQ(loaded.WorkingData().GetSortKey(), 18);
    ASSERT_EQ(loaded.Summary().GetEntryCount(), 2);
    EXPECT_EQ(loaded.Summary().GetTitle(0), u"Br\u00fccke");
    EXPECT_EQ(loaded.Summary().GetDiagramOrder(0), 1);
    EXPECT_EQ(loaded.Summary().GetAveraging(0), 2);
    EXPECT_EQ(loaded.Summary().GetDiagramOrder(1), -1);

    const std::vector<TConvCust> curves = CCurveStore::Instance().GetAll();
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_EQ(curves[0].Id, 50);
    EXPECT_TRUE(curves[0].IsEqualCurve(hammerCurve));
    EXPECT_EQ(+curves[0].OnDevice, 1);  // a copy: the packed member may be misaligned
    EXPECT_EQ(curves[0].Flags, 0x0B);
    EXPECT_EQ(curves[1].Id, 51);
    EXPECT_EQ(curves[1].Name8(), "MINE");

    // What was read is written back byte for byte.
    EXPECT_EQ(SavedBytes(loaded, "again.zvh"), saved);
}

TEST_F(ProjectFile, HandmadeVersion3LoadsAndIsWrittenBackByteForByte) {
    const Bytes fixture = ReadFile(FixturePath("project_v3.zvh"));
    ASSERT_FALSE(fixture.empty());
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    ASSERT_TRUE(doc.OpenProject(FixturePath("project_v3.zvh")));

    ASSERT_EQ(doc.OriginalData().GetCount(), 1);
    ASSERT_EQ(doc.WorkingData().GetCount(), 2);
    const TVantrelObject& a = doc.WorkingData().Series(0);
    EXPECT_EQ(a.Version, CVersion(1, 2, 3, 4));
    EXPECT_EQ(a.CarbonationCode, 4);
    EXPECT_EQ(a.CurveId, 50);
    EXPECT_EQ(a.DeviceCount, 3);
    EXPECT_EQ(a.DeviceInfoD, 9);
    EXPECT_EQ(a.ImpactCounter, 301);
    EXPECT_EQ(a.DeviceInfoA, -2);
    EXPECT_EQ(a.AveragingMode, 2);
    EXPECT_EQ(a.DeviceInfoC, 5);
    EXPECT_EQ(a.DeviceInfoB, 6);
    EXPECT_EQ(a.DateTime, 123456u);
    EXPECT_EQ(a.Unit, 2);
    EXPECT_EQ(a.SerialNumber, u"SN-7");
    EXPECT_EQ(a.DeviceInfo, u"HW3");
    EXPECT_EQ(a.NewDataFormat, 1);
    EXPECT_EQ(a.Comment, u"Wall, east side");
    EXPECT_EQ(a.Name, u"Pillar 1");
    EXPECT_EQ(a.DiagramOrder, 1);
    EXPECT_EQ(a.Expanded, 1);
    ASSERT_EQ(a.ReadingCount(), 3);
    EXPECT_EQ(a.Readings[0], (TMeas{80, 1500, 1}));
    EXPECT_EQ(a.Readings[2], (TMeas{84, 1700, 3}));
    const TVantrelObject& b = doc.WorkingData().Series(1);
    EXPECT_EQ(b.Name, u"\u00dc-Tr\u00e4ger");
    EXPECT_EQ(b.DiagramOrder, -1);
    EXPECT_EQ(b.UseInSummary, 0);
    EXPECT_EQ(doc.WorkingData().GetSortKey(), 7);
    ASSERT_EQ(doc.Summary().GetEntryCount(), 1);
    EXPECT_EQ(doc.Summary().GetTitle(0), u"Bridge 4");
    const auto curve = CCurveStore::Instance().GetCurve(50);
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->Name8(), "MYCURVE");
    EXPECT_EQ(curve->Kind, kCurveExponential);
    EXPECT_FLOAT_EQ(+curve->A, 1.9f);
    EXPECT_EQ(doc.GetPath(), FixturePath("project_v3.zvh"));

    Bytes saved = SavedBytes(doc);
    ASSERT_EQ(saved.size(), fixture.size());
    // Bytes 63 to 70 carry the writing program's version.
    std::copy(fixture.begin() + 63, fixture.begin() + 71, saved.begin() + 63);
    EXPECT_EQ(saved, fixture);
}

TEST_F(ProjectFile, EmptyProjectHasTheDocumentedBytes) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    Bytes saved = SavedBytes(doc);
    CBytes expected = ProjectHeader(3);
    expected.D(1).D(0).B(0).D(1).D(0).B(0).D(0).D(0);
    ASSERT_EQ(saved.size(), expected.Size());
    std::copy(expected.Data().begin() + 63, expected.Data().begin() + 71, saved.begin() + 63);
    EXPECT_EQ(saved, expected.Data());

    CHammerDoc loaded(prompt);
    EXPECT_TRUE(loaded.OpenProject(PathOf("saved.zvh")));
    EXPECT_FALSE(loaded.WorkingData().HasSeries());
    EXPECT_FALSE(loaded.OriginalData().HasSeries());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ProjectFile, Version1WorkingDataIsACopyAndUncountedReadingsAreFound) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    CRecordingView view;
    doc.RegisterView(&view);
    ASSERT_TRUE(doc.OpenProject(FixturePath("project_v1.zvh")));
    EXPECT_TRUE(prompt.shown.empty());

    const CHammerData& o = doc.OriginalData();
    ASSERT_EQ(o.GetCount(), 4);
    struct {
        int readings;
        int deviceCount;
        std::uint16_t impact;
        std::uint8_t mode;
    } const expected[] = {
        {3, 3, 101, 2},  // counted readings only
        {3, 3, 102, 2},  // count 1, two uncounted readings up to the next header
        {2, 2, 103, 1},
        {4, 4, 104, 3},  // count 1, three uncounted readings up to the end of the block
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(o.Series(i).ReadingCount(), expected[i].readings);
        EXPECT_EQ(o.Series(i).DeviceCount, expected[i].deviceCount);
        EXPECT_EQ(o.Series(i).ImpactCounter, expected[i].impact);
        EXPECT_EQ(o.Series(i).AveragingMode, expected[i].mode);
        EXPECT_EQ(o.Series(i).DeviceType, u"TALVENBRECKER  N");
        EXPECT_EQ(o.Series(i).SerialNumber, u"SN-0042");
        EXPECT_EQ(o.Series(i).DeviceInfo, u"B2");
        EXPECT_EQ(o.Series(i).ExtraText, u"old extra");
        EXPECT_EQ(o.Series(i).NewDataFormat, 0);
        EXPECT_EQ(o.Series(i).UpperOutliers, 0);
    }
    const TVantrelObject& first = o.Series(0);
    EXPECT_EQ(first.DeviceInfoA, -5);
    EXPECT_EQ(first.DateTime, 1000u);
    EXPECT_EQ(first.Unit, 2);
    EXPECT_EQ(first.CarbonationCode, 4);
    EXPECT_EQ(first.CurveId, 50);
    EXPECT_EQ(first.FormCode, 4);
    EXPECT_EQ(first.DeviceInfoD, 7);
    EXPECT_EQ(first.Readings[1], (TMeas{82, 1100, 2}));  // QHalf, Energy, Extra in the old order
    EXPECT_EQ(o.Series(1).Readings[2].QHalf, 62);
    EXPECT_EQ(o.Series(3).Readings[3].QHalf, 93);

    ASSERT_EQ(doc.WorkingData().GetCount(), 4);
    for (int i = 0; i < 4; ++i) ExpectSameSeries(doc.WorkingData().Series(i), o.Series(i));
    ASSERT_EQ(doc.Summary().GetEntryCount(), 1);
    EXPECT_EQ(doc.Summary().GetTitle(0), u"Site A");
    EXPECT_EQ(doc.Summary().GetAveraging(0), 2);

    // The short curve record: Tag 3, kind 0 and d 0.
    const auto curve = CCurveStore::Instance().GetCurve(50);
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->Name8(), "OLDCURVE");
    EXPECT_EQ(curve->Tag, 3);
    EXPECT_EQ(curve->Kind, 0);
    EXPECT_FLOAT_EQ(+curve->B, 0.02f);
    EXPECT_EQ(+curve->D, 0.0f);
    EXPECT_FALSE(view.notices.empty());
    EXPECT_EQ(view.notices.back(), -1);
}

TEST_F(ProjectFile, Version2ListsSetTheirFieldsAndSurplusEntriesAreIgnored) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    ASSERT_TRUE(doc.OpenProject(FixturePath("project_v2.zvh")));
    EXPECT_TRUE(prompt.shown.empty());
    ASSERT_EQ(doc.OriginalData().GetCount(), 2);
    ASSERT_EQ(doc.WorkingData().GetCount(), 2);
    const CHammerData& w = doc.WorkingData();
    const CHammerData& o = doc.OriginalData();
    EXPECT_EQ(w.GetComment(0), u"comment 1");
    EXPECT_EQ(w.GetComment(1), u"comment 2");
    EXPECT_EQ(w.GetName(1), u"name 2");
    EXPECT_EQ(o.GetSerialNumber(0), u"orig serial 1");
    EXPECT_EQ(o.GetSerialNumber(1), u"orig serial 2");
    EXPECT_EQ(w.GetSerialNumber(0), u"work serial 1");
    EXPECT_EQ(w.GetSerialNumber(1), u"SN-WORK");         // list 4 had one entry
    EXPECT_EQ(w.GetDeviceType(0), u"TALVENBRECKER  N");  // list 6 overwrites list 5
    EXPECT_EQ(w.GetDeviceType(1), u"TALVENBRECKER  N");
    EXPECT_EQ(o.GetDeviceType(0), u"TALVENBRECKER  L");
    EXPECT_EQ(w.Series(0).DeviceInfo, u"I9");
    EXPECT_EQ(w.Series(1).DeviceInfo, u"A1");
    EXPECT_EQ(w.Series(0).ExtraText, u"extra 12");
    EXPECT_EQ(w.Series(1).ExtraText, u"extra 11b");
    EXPECT_EQ(w.GetDiagramOrder(0), 1);
    EXPECT_EQ(w.GetDiagramOrder(1), 0);
    EXPECT_EQ(o.GetName(0), u"");
    EXPECT_EQ(w.GetReadingCount(0), 2);
    EXPECT_EQ(w.GetReadingCount(1), 1);  // mode 0: no look-ahead
}

TEST_F(ProjectFile, FormatVersion0HasOnlyTheOriginalBody) {
    Bytes records;
    AppendOldHeader(records, {.count = 2, .mode = 0});
    AppendOldReadings(records, {40, 41});
    CBytes v0 = ProjectHeader(0);
    v0.D(127).Zeros(127).D(static_cast<std::uint32_t>(records.size())).Raw(records);
    v0.D(0).D(1).D(50).B(20).B(60).F(0).F(1).F(2).S(u"V0").B(9).D(0);  // no summary, one short curve
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    ASSERT_TRUE(LoadBytes(doc, v0.Data(), PathOf("v0.zvh")));
    EXPECT_EQ(doc.OriginalData().GetCount(), 1);
    EXPECT_EQ(doc.WorkingData().GetCount(), 0);
    EXPECT_TRUE(CCurveStore::Instance().HasCurve(50));
}

TEST(OldRecords, UncountedReadingsLookAhead) {
    const Bytes header(127, 0);
    struct TCase {
        const char* what;
        std::function<Bytes()> block;
        std::vector<int> readings;  // per series; empty: the block is damaged
    };
    const TCase cases[] = {
        {"count 1 in Mean, three more readings, block end",
         [] {
             Bytes b;
             AppendOldHeader(b, {.count = 1, .mode = 2});
             AppendOldReadings(b, {10, 11, 12, 13});
             return b;
         },
         {4}},
        {"count 1 in Single: no look-ahead, the next record follows",
         [] {
             Bytes b;
             AppendOldHeader(b, {.count = 1, .mode = 0});
             AppendOldReadings(b, {10});
             AppendOldHeader(b, {.count = 2, .mode = 0});
             AppendOldReadings(b, {20, 21});
             return b;
         },
         {1, 2}},
        {"count 1 in Mean, two more readings, a following header",
         [] {
             Bytes b;
             AppendOldHeader(b, {.count = 1, .mode = 2});
             AppendOldReadings(b, {10, 11, 12});
             AppendOldHeader(b, {.count = 1, .mode = 0});
             AppendOldReadings(b, {20});
             return b;
         },
         {3, 1}},
        {"a following header with a negative mode byte still counts as a header",
         [] {
             Bytes b;
             AppendOldHeader(b, {.count = 1, .mode = 2});
             AppendOldReadings(b, {10});
             AppendOldHeader(b, {.count = 1, .mode = 0x80});
             AppendOldReadings(b, {20});
             return b;
         },
         {1, 1}},
        {"bytes with a reading count of 0 are no header: readings to the end",
         [] {
             Bytes b;
             AppendOldHeader(b, {.count = 1, .mode = 2});
             AppendOldReadings(b, {10});
             AppendOldHeader(b, {.count = 0, .mode = 0});
             b.insert(b.end(), 2, 0);  // with these, the header is 5 readings long
             AppendOldReadings(b, {20});
             return b;
         },
         {1 + 5 + 1}},
        {"carbonation 13 is no header either",
         [] {
             Bytes b;
             AppendOldHeader(b, {.count = 1, .mode = 4});
             AppendOldReadings(b, {10});
             AppendOldHeader(b, {.count = 1, .mode = 0, .carbonation = 13});
             b.insert(b.end(), 2, 0);
             AppendOldReadings(b, {20, 21});
             return b;
         },
         {1 + 5 + 2}},
        {"a record whose counted readings run past the block",
         [] {
             Bytes b;
             AppendOldHeader(b, {.count = 3, .mode = 2});
             AppendOldReadings(b, {10, 11});
             return b;
         },
         {}},
        {"a header cut short by the block end",
         [] {
             Bytes b;
             AppendOldHeader(b, {.count = 1, .mode = 0});
             AppendOldReadings(b, {10});
             b.insert(b.end(), 7, 1);
             return b;
         },
         {}},
        {"an empty block has no series", [] { return Bytes(); }, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        Doc::SeriesList series;
        const Bytes block = c.block();
        if (c.readings.empty() && !block.empty()) {
            EXPECT_THROW(Doc::ParseOldRecords(header, block, series), StreamIO::CFileException);
            continue;
        }
        Doc::ParseOldRecords(header, block, series);
        ASSERT_EQ(series.size(), c.readings.size());
        for (std::size_t i = 0; i < series.size(); ++i) {
            EXPECT_EQ(series[i]->ReadingCount(), c.readings[i]);
            EXPECT_EQ(series[i]->DeviceCount, c.readings[i]);
        }
    }
}

TEST_F(ProjectFile, WrongSignatureIsRefusedBeforeAnythingIsRead) {
    CBytes other;
    other.S(u"TolveX Brelvantor curve file").W(1).W(0).W(0).W(0).W(3).D(1).D(0).B(0).D(1).D(0).B(0).D(0).D(0);
    WriteFile(PathOf("other.zvh"), other.Data());

    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    doc.WorkingData().AppendSeries(MakeSeries({30}));
    ASSERT_EQ(CCurveStore::Instance().AddCurve(MakeCurve("KEEPME", 1.0f), 50).id, 50);
    EXPECT_FALSE(doc.OpenProject(PathOf("other.zvh")));
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdReadError});
    // The previous project was closed first; nothing of the file arrived.
    EXPECT_FALSE(doc.WorkingData().HasSeries());
    EXPECT_TRUE(doc.GetPath().empty());
    EXPECT_FALSE(doc.IsModified());

    // A file that is not there at all, and a folder, get the same message.
    prompt.shown.clear();
    EXPECT_FALSE(doc.OpenProject(PathOf("missing.zvh")));
    EXPECT_FALSE(doc.OpenProject(m_dir));
    EXPECT_EQ(prompt.ShownIds(), (std::vector<unsigned>{Doc::kIdReadError, Doc::kIdReadError}));
}

TEST_F(ProjectFile, TruncatedAtEveryOffsetFailsCleanlyKeepingWhatWasRead) {
    for (const char* name : {"project_v3.zvh", "project_v2.zvh", "project_v1.zvh"}) {
        SCOPED_TRACE(name);
        const Bytes full = ReadFile(FixturePath(name));
        ASSERT_GT(full.size(), 100u);
        int previousWorking = 0;
        int previousOriginal = 0;
        for (std::size_t n = 0; n < full.size(); ++n) {
            SCOPED_TRACE(n);
            CCurveStore::Instance().Clear();
            CScriptedPrompt prompt;
            CHammerDoc doc(prompt);
            const fs::path cut = PathOf("cut.zvh");
            WriteFile(cut, Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)));
            ASSERT_FALSE(doc.OpenProject(cut));
            ASSERT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdReadError});
            EXPECT_TRUE(doc.GetPath().empty());
            // Series arrive whole, in order, never more as the data get shorter.
            EXPECT_GE(doc.WorkingData().GetCount(), previousWorking);
            EXPECT_GE(doc.OriginalData().GetCount(), previousOriginal);
            previousWorking = doc.WorkingData().GetCount();
            previousOriginal = doc.OriginalData().GetCount();
            for (int i = 0; i < doc.WorkingData().GetCount(); ++i)
                EXPECT_EQ(doc.WorkingData().Series(i).ReadingFlags.size(),
                          doc.WorkingData().Series(i).Readings.size());
        }
    }
}

TEST_F(ProjectFile, HostileCountsAndLengthsCostNoMoreThanTheData) {
    // Each promises far more than the few bytes that follow.
    CBytes seriesCount = ProjectHeader(3);
    seriesCount.D(0).D(1).D(0x80000000u).Zeros(8);
    CBytes readingCount = ProjectHeader(3);
    readingCount.D(0).D(1).D(1).S(u"0.0.0.0").Zeros(5).W(0).W(0).Zeros(5).D(0).B(0).S(u"").S(u"").S(u"");
    readingCount.D(0).S(u"").S(u"").D(1).S(u"").W(0).D(0).D(0xFFFFFFFFu).Zeros(12);
    CBytes stringLength = ProjectHeader(3);
    stringLength.D(0).D(1).D(1).B(0xFE).W(0xFFFF).Zeros(10);
    CBytes summaryCount = ProjectHeader(3);
    summaryCount.D(0).D(0).D(0xFFFFFFFFu).S(u"t").W(0).B(1);
    CBytes curveCount = ProjectHeader(3);
    curveCount.D(0).D(0).D(0).D(0x7FFFFFFFu).Zeros(20);
    CBytes oldBlock = ProjectHeader(1);
    oldBlock.D(0xFFFFFFFFu).Zeros(30);
    CBytes oldBlockOverLimit = ProjectHeader(2);
    oldBlockOverLimit.D(65536).Zeros(65536).D(0);
    CBytes listCount = ProjectHeader(2);
    listCount.D(0).D(0).D(0).D(0).D(0xFFFFFFFFu).S(u"x");

    const CBytes* cases[] = {&seriesCount, &readingCount, &stringLength,      &summaryCount,
                             &curveCount,  &oldBlock,     &oldBlockOverLimit, &listCount};
    int i = 0;
    for (const CBytes* c : cases) {
        SCOPED_TRACE(i++);
        CScriptedPrompt prompt;
        CHammerDoc doc(prompt);
        EXPECT_FALSE(LoadBytes(doc, c->Data(), PathOf("hostile.zvh")));
        EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdReadError});
        EXPECT_LE(doc.WorkingData().GetCount() + doc.OriginalData().GetCount(), 1);
    }
}

TEST_F(ProjectFile, LoadingReplacesTheCurveStore) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    ASSERT_EQ(CCurveStore::Instance().AddCurve(MakeCurve("PREVIOUS", 2.0f), 60).id, 60);
    ASSERT_TRUE(LoadBytes(doc, ReadFile(FixturePath("project_v3.zvh")), PathOf("p.zvh")));
    EXPECT_FALSE(CCurveStore::Instance().HasCurve(60));
    EXPECT_TRUE(CCurveStore::Instance().HasCurve(50));
    EXPECT_EQ(CCurveStore::Instance().Count(), 1u);
}

TEST_F(ProjectFile, CurvesAbove249AreSavedWithTheSeriesThatUseThem) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    ASSERT_EQ(CCurveStore::Instance().AddCurve(MakeCurve("TOP", 1.5f), 250).id, 250);
    doc.WorkingData().AppendSeries(MakeSeries({40}, kModeMean, 250));
    SavedBytes(doc);
    CCurveStore::Instance().Clear();

    CHammerDoc loaded(prompt);
    ASSERT_TRUE(loaded.OpenProject(PathOf("saved.zvh")));
    const std::uint8_t id = loaded.WorkingData().GetCurveId(0);
    ASSERT_TRUE(CCurveStore::Instance().GetCurve(id));
    EXPECT_EQ(CCurveStore::Instance().GetCurve(id)->Name8(), "TOP");
}

TEST_F(ProjectFile, ClipboardLayoutHoldsOnlyTheSelectedWorkingSeries) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    doc.OriginalData().AppendSeries(MakeSeries({10}));
    for (int i = 0; i < 4; ++i) {
        TVantrelObject s = MakeSeries({20.0 + i});
        s.ImpactCounter = static_cast<std::uint16_t>(i);
        doc.WorkingData().AppendSeries(s);
    }
    const Bytes payload = doc.MakeClipboardPayload(std::vector<std::uint8_t>{0, 1, 0, 1});
    ASSERT_GT(payload.size(), 4u + 71u);
    const std::uint32_t length = payload[0] | payload[1] << 8 | payload[2] << 16 | payload[3] << 24;
    EXPECT_EQ(length, payload.size() - 4);
    // After signature, version and format: original-present 0, working-present 1, two series.
    const Bytes data(payload.begin() + 4, payload.end());
    EXPECT_EQ(data[71], 3);
    EXPECT_EQ(Bytes(data.begin() + 73, data.begin() + 85), (CBytes().D(0).D(1).D(2).Data()));

    EXPECT_THROW(doc.MakeClipboardPayload(std::vector<std::uint8_t>{1, 1}), std::invalid_argument);
}

TEST_F(ProjectFile, DocumentTitle) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    EXPECT_EQ(doc.GetDocumentTitle(true), u"");
    doc.WorkingData().AppendSeries(MakeSeries({30}));
    Text::SetLanguageOverrides(
        std::make_shared<Text::LanguageTexts>(Text::LanguageTexts{{59490, u"Unnamed"}}));
    EXPECT_EQ(doc.GetDocumentTitle(true), u"Unnamed");
    Text::SetLanguageOverrides(nullptr);

    SavedBytes(doc, "site.v2.zvh");
    CScriptedPrompt open;
    CHammerDoc opened(open);
    ASSERT_TRUE(opened.OpenProject(PathOf("site.v2.zvh")));
    EXPECT_EQ(opened.GetDocumentTitle(true), u"site.v2");
    EXPECT_EQ(opened.GetDocumentTitle(false), Text::FromUtf8(PathOf("site.v2.zvh").string()));
}
