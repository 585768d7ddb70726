// Copy, cut and paste through the private clipboard format.
#include <gtest/gtest.h>

#include "DocTestSupport.h"
#include "doc/DocStrings.h"
#include "model/Conversion.h"

using namespace DocTest;
using Text::MsgResult;

namespace {

std::vector<std::uint8_t> Select(int count, std::initializer_list<int> chosen) {
    std::vector<std::uint8_t> selection(static_cast<std::size_t>(count), 0);
    for (int i : chosen) selection[static_cast<std::size_t>(i)] = 1;
    return selection;
}

void AddNumbered(CHammerDoc& doc, int count, std::uint16_t first, std::uint8_t curve = 1) {
    for (int i = 0; i < count; ++i) {
        TVantrelObject s = MakeSeries({30.0 + i}, kModeMean, curve);
        s.ImpactCounter = static_cast<std::uint16_t>(first + i);
        doc.WorkingData().AppendSeries(s);
    }
}

std::vector<std::uint16_t> Impacts(const CHammerData& data) {
    std::vector<std::uint16_t> v;
    for (int i = 0; i < data.GetCount(); ++i) v.push_back(data.GetImpactCounter(i));
    return v;
}

}  // namespace

class Clipboard : public DocFixture {
  protected:
    Doc::CMemoryClipboard clipboard;
};

TEST_F(Clipboard, CopyTwoOfFiveAndPasteIntoAnotherDocument) {
    CScriptedPrompt promptA, promptB;
    CHammerDoc a(promptA, &clipboard);
    CHammerDoc b(promptB, &clipboard);
    AddNumbered(a, 5, 1);
    AddNumbered(b, 2, 100);
    b.OriginalData().AppendSeries(MakeSeries({50}));
    CRecordingView view;
    b.RegisterView(&view);

    ASSERT_TRUE(a.CopySelected(Select(5, {1, 3}), u"text rendering"));
    EXPECT_EQ(clipboard.Text(), std::optional<std::u16string>(u"text rendering"));
    EXPECT_TRUE(clipboard.HasData("BrelvantorClipboardFormat"));
    EXPECT_EQ(a.WorkingData().GetCount(), 5);  // a copy deletes nothing

    ASSERT_TRUE(b.Paste());
    EXPECT_TRUE(promptB.shown.empty());
    EXPECT_EQ(Impacts(b.WorkingData()), (std::vector<std::uint16_t>{100, 101, 2, 4}));
    EXPECT_EQ(b.OriginalData().GetCount(), 1);  // untouched
    EXPECT_TRUE(b.IsModified());
    EXPECT_EQ(view.notices, std::vector<int>{-1});
    EXPECT_EQ(b.WorkingData().Series(3).Readings, a.WorkingData().Series(3).Readings);
}

TEST_F(Clipboard, CopyAndPasteWithinOneDocumentDuplicates) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt, &clipboard);
    AddNumbered(doc, 3, 1);
    doc.Summary().AppendLoadedEntry(u"mine", 1, 2);
    ASSERT_TRUE(doc.CopySelected(Select(3, {0, 2})));
    ASSERT_TRUE(doc.Paste());
    EXPECT_EQ(Impacts(doc.WorkingData()), (std::vector<std::uint16_t>{1, 2, 3, 1, 3}));
    // The pasted summary entry is appended; the first keeps its fields.
    ASSERT_EQ(doc.Summary().GetEntryCount(), 2);
    EXPECT_EQ(doc.Summary().GetTitle(0), u"mine");
    EXPECT_EQ(doc.Summary().GetTitle(1), u"mine");
}

TEST_F(Clipboard, PastedSeriesKeepTheirCurvesAndExistingSeriesKeepTheirs) {
    // The other instance: a curve under 50 that its series use.
    CScriptedPrompt promptA;
    std::vector<std::uint8_t> payload;
    {
        CHammerDoc a(promptA, &clipboard);
        ASSERT_EQ(CCurveStore::Instance().AddCurve(MakeCurve("THEIRS", 0.5f), 50).id, 50);
        AddNumbered(a, 2, 1, 50);
        ASSERT_TRUE(a.CopySelected(Select(2, {0, 1})));
        payload = *clipboard.GetData("BrelvantorClipboardFormat");
    }
    // This instance: its own, different curve under 50.
    CCurveStore::Instance().Clear();
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt, &clipboard);
    ASSERT_EQ(CCurveStore::Instance().AddCurve(MakeCurve("OURS", 0.8f), 50).id, 50);
    AddNumbered(doc, 1, 100, 50);
    doc.WorkingData().SetCurveId(0, 50);

    ASSERT_TRUE(doc.PastePayload(payload));
    ASSERT_EQ(doc.WorkingData().GetCount(), 3);
    EXPECT_EQ(doc.WorkingData().GetCurveName(0), u"OURS");
    EXPECT_EQ(doc.WorkingData().GetCurveName(1), u"THEIRS");
    EXPECT_EQ(doc.WorkingData().GetCurveName(2), u"THEIRS");
    EXPECT_NE(doc.WorkingData().GetCurveId(1), 50);
    EXPECT_EQ(doc.WorkingData().GetCurveId(1), doc.WorkingData().GetCurveId(2));

    // Pasting the same again reuses the equal curve instead of adding another.
    ASSERT_TRUE(doc.PastePayload(payload));
    EXPECT_EQ(CCurveStore::Instance().Count(), 2u);
    EXPECT_EQ(doc.WorkingData().GetCurveId(3), doc.WorkingData().GetCurveId(1));
    // The pasted curve went into the library as a file.
    EXPECT_TRUE(fs::exists(m_curves / "THEIRS.zvc"));
}

TEST_F(Clipboard, CutDeletesOnlyWhenTheClipboardTookTheData) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt, &clipboard);
    AddNumbered(doc, 3, 1);
    clipboard.SetRefuseData(true);
    EXPECT_FALSE(doc.CutSelected(Select(3, {1}), u"text"));
    EXPECT_EQ(doc.WorkingData().GetCount(), 3);
    EXPECT_EQ(clipboard.Text(), std::optional<std::u16string>(u"text"));  // the text rendering only
    EXPECT_FALSE(clipboard.HasData("BrelvantorClipboardFormat"));

    clipboard.SetRefuseData(false);
    EXPECT_TRUE(doc.CutSelected(Select(3, {1})));
    EXPECT_EQ(Impacts(doc.WorkingData()), (std::vector<std::uint16_t>{1, 3}));
    EXPECT_TRUE(prompt.shown.empty());  // a cut does not ask

    CHammerDoc noClipboard(prompt);
    EXPECT_FALSE(noClipboard.CopySelected({}));
    EXPECT_FALSE(noClipboard.Paste());
}

TEST_F(Clipboard, PasteWithoutOurFormatDoesNothing) {
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt, &clipboard);
    clipboard.PutText(u"some text");
    EXPECT_FALSE(doc.Paste());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(Clipboard, PasteSortsByThePastedSortKey) {
    CScriptedPrompt prompt;
    CHammerDoc a(prompt, &clipboard), b(prompt, &clipboard);
    AddNumbered(a, 2, 1);
    a.WorkingData().SetSortKey(2);  // impact counter, descending
    AddNumbered(b, 2, 50);
    ASSERT_TRUE(a.CopySelected(Select(2, {0, 1})));
    ASSERT_TRUE(b.Paste());
    EXPECT_EQ(b.WorkingData().GetSortKey(), 2);
    EXPECT_EQ(Impacts(b.WorkingData()), (std::vector<std::uint16_t>{51, 50, 2, 1}));
}

TEST_F(Clipboard, DamagedPayloadsLeaveTheDocumentConsistent) {
    CScriptedPrompt promptA;
    CHammerDoc a(promptA, &clipboard);
    CCurveStore::Instance().AddCurve(MakeCurve("CLIPCURVE", 0.5f), 50);
    AddNumbered(a, 3, 1, 50);
    const Bytes payload = a.MakeClipboardPayload(Select(3, {0, 1, 2}));

    // Cut at every length, the length field left as it was.
    int previous = 0;
    for (std::size_t n = 0; n < payload.size(); ++n) {
        SCOPED_TRACE(n);
        CScriptedPrompt prompt;
        CHammerDoc doc(prompt, &clipboard);
        doc.OriginalData().AppendSeries(MakeSeries({10}));
        AddNumbered(doc, 1, 900);
        doc.TakeModified();
        EXPECT_FALSE(doc.PastePayload(std::span(payload.data(), n)));
        EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdReadError});
        EXPECT_EQ(doc.OriginalData().GetCount(), 1);
        EXPECT_EQ(doc.WorkingData().GetImpactCounter(0), 900);
        const int pasted = doc.WorkingData().GetCount() - 1;
        EXPECT_GE(pasted, previous);
        EXPECT_EQ(doc.IsModified(), pasted > 0 || doc.Summary().GetEntryCount() > 0);
        previous = pasted;
    }
    EXPECT_EQ(previous, 3);
}

TEST_F(Clipboard, PayloadsThatAreNotOurs) {
    const Bytes fixture = ReadFile(FixturePath("clipboard_v3.bin"));
    ASSERT_FALSE(fixture.empty());
    Bytes foreignSignature = fixture;
    foreignSignature[4 + 3] ^= 0x20;  // first signature character
    Bytes shortLength = fixture;      // a length below the data: only that much counts
    shortLength[0] = 20;
    shortLength[1] = shortLength[2] = shortLength[3] = 0;
    Bytes hugeLength = fixture;  // a length above the data: the data that are there count
    hugeLength[3] = 0x7F;
    // A whole project rather than clipboard data: its original data stay out.
    const Bytes project = ReadFile(FixturePath("project_v3.zvh"));

    struct TCase {
        const char* what;
        Bytes payload;
        bool ok;
        int pasted;
    };
    CBytes wrapped;
    wrapped.D(static_cast<std::uint32_t>(project.size())).Raw(project);
    const TCase cases[] = {
        {"the handmade payload", fixture, true, 1},       {"foreign signature", foreignSignature, false, 0},
        {"length below the data", shortLength, false, 0}, {"length above the data", hugeLength, true, 1},
        {"three bytes", Bytes{1, 0, 0}, false, 0},        {"with original data", wrapped.Data(), true, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        CScriptedPrompt prompt;
        CHammerDoc doc(prompt, &clipboard);
        doc.OriginalData().AppendSeries(MakeSeries({10}));
        EXPECT_EQ(doc.PastePayload(c.payload), c.ok);
        EXPECT_EQ(prompt.ShownIds().empty(), c.ok);
        EXPECT_EQ(doc.WorkingData().GetCount(), c.pasted);
        EXPECT_EQ(doc.OriginalData().GetCount(), 1);
        EXPECT_EQ(doc.IsModified(), c.pasted > 0);
        if (c.pasted) {
            EXPECT_EQ(doc.WorkingData().GetName(0), u"Pillar 1");
        }
    }
}
