// The document's editing operations, its views, the save prompt on closing,
// the command states and dropped files.
#include <gtest/gtest.h>

#include <numeric>

#include "DocTestSupport.h"
#include "doc/DocStrings.h"
#include "text/StringTable.h"

using namespace DocTest;
using Text::MsgResult;

namespace {

TDownloadedSeries Downloaded(std::uint16_t impact, std::initializer_list<std::uint8_t> qHalf) {
    TDownloadedSeries d;
    d.ImpactCounter = impact;
    d.AveragingMode = kModeMean;
    d.Unit = kUnitNmm2;
    d.CurveId = 1;
    d.DeviceType = "TALVENBRECKER   N";
    d.NewDataFormat = true;
    for (std::uint8_t q : qHalf) d.Readings.push_back(TMeas{q, 0, 0});
    d.DeviceCount = static_cast<std::uint8_t>(d.Readings.size());
    return d;
}

std::vector<std::uint8_t> Select(int count, std::initializer_list<int> chosen) {
    std::vector<std::uint8_t> selection(static_cast<std::size_t>(count), 0);
    for (int i : chosen) selection[static_cast<std::size_t>(i)] = 1;
    return selection;
}

}  // namespace

class Document : public DocFixture {
  protected:
    CScriptedPrompt prompt;
    Doc::CMemoryClipboard clipboard;
    CHammerDoc doc{prompt, &clipboard};

    void AddSeries(int count, std::uint8_t mode = kModeMean) {
        for (int i = 0; i < count; ++i) {
            TVantrelObject s = MakeSeries({30.0 + i}, mode);
            s.ImpactCounter = static_cast<std::uint16_t>(100 + i);
            s.DateTime = static_cast<std::uint32_t>(1000 * (i + 1));
            doc.WorkingData().AppendSeries(s);
        }
    }
    std::vector<std::uint16_t> ImpactCounters() const {
        std::vector<std::uint16_t> v;
        for (int i = 0; i < doc.WorkingData().GetCount(); ++i)
            v.push_back(doc.WorkingData().GetImpactCounter(i));
        return v;
    }
};

TEST_F(Document, ViewsHearOfChangesExceptTheSender) {
    CRecordingView a, b;
    doc.RegisterView(&a);
    doc.RegisterView(&b);
    doc.RegisterView(&a);  // once is enough
    EXPECT_EQ(doc.GetViewCount(), 2);
    doc.NotifyViews(&a, 3);
    EXPECT_TRUE(a.notices.empty());
    EXPECT_EQ(b.notices, std::vector<int>{3});
    EXPECT_TRUE(doc.UnregisterView(&a));
    EXPECT_FALSE(doc.UnregisterView(&a));
    doc.NotifyViews(nullptr, -1);
    EXPECT_TRUE(a.notices.empty());
    EXPECT_EQ(b.notices, (std::vector<int>{3, -1}));

    // A view that leaves while handling a notice, taking another with it.
    struct CLeaving : IDocView {
        CHammerDoc* doc = nullptr;
        IDocView* other = nullptr;
        int heard = 0;
        void OnDocChanged(int) override {
            ++heard;
            doc->UnregisterView(this);
            doc->UnregisterView(other);
        }
    } leaving;
    CRecordingView after;
    leaving.doc = &doc;
    leaving.other = &after;
    doc.RegisterView(&leaving);
    doc.RegisterView(&after);
    doc.NotifyViews(nullptr, 7);
    EXPECT_EQ(leaving.heard, 1);
    EXPECT_TRUE(after.notices.empty());
    EXPECT_EQ(doc.GetViewCount(), 1);
}

TEST_F(Document, ModifiedFlag) {
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.SetModified());
    EXPECT_TRUE(doc.SetModified(true));
    EXPECT_TRUE(doc.TakeModified());
    EXPECT_FALSE(doc.IsModified());
    AddSeries(1);
    doc.WorkingData().SetName(0, u"changed");  // the working data report to the document
    EXPECT_TRUE(doc.IsModified());
    doc.TakeModified();
    doc.OriginalData().AppendSeries(MakeSeries({20}));
    doc.OriginalData().DeleteSeries(0);  // the original data have no owner
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(Document, TakeOverDownloadFillsBothContainers) {
    CRecordingView view;
    doc.RegisterView(&view);
    AddSeries(2);
    const std::vector<TDownloadedSeries> records = {Downloaded(7, {60, 61}), Downloaded(8, {70})};
    EXPECT_EQ(doc.TakeOverDownload(records), 2);
    EXPECT_EQ(doc.OriginalData().GetCount(), 2);
    EXPECT_EQ(ImpactCounters(), (std::vector<std::uint16_t>{7, 8}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(view.notices, std::vector<int>{-1});
}

TEST_F(Document, RestoreAsksAndGivesBackTheDownloadedSeries) {
    doc.TakeOverDownload(std::vector<TDownloadedSeries>{Downloaded(7, {60}), Downloaded(8, {70})});
    doc.WorkingData().SetDiagramOrder(0, 1);
    doc.WorkingData().DeleteSeries(1);
    doc.TakeModified();

    for (MsgResult answer : {MsgResult::No, MsgResult::Cancel}) {
        prompt.answers = {answer};
        EXPECT_FALSE(doc.AskRestoreOriginalData());
        EXPECT_EQ(doc.WorkingData().GetCount(), 1);
    }
    prompt.answers = {MsgResult::Yes};
    EXPECT_TRUE(doc.AskRestoreOriginalData());
    EXPECT_EQ(prompt.ShownIds(), (std::vector<unsigned>(3, Doc::kIdRestoreOriginal)));
    EXPECT_EQ(prompt.shown.back().icon, Text::MsgIcon::Question);
    EXPECT_EQ(prompt.shown.back().buttons, Text::MsgButtons::YesNoCancel);
    EXPECT_EQ(ImpactCounters(), (std::vector<std::uint16_t>{7, 8}));
    EXPECT_EQ(doc.WorkingData().GetDiagramOrder(0), -1);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(Document, DeleteSelectedAsksDeletesAndPurgesCurves) {
    const int unused = CCurveStore::Instance().AddCurve(MakeCurve("UNUSED", 1.0f), 60).id;
    const int used = CCurveStore::Instance().AddCurve(MakeCurve("USED", 2.0f), 61).id;
    AddSeries(5);
    doc.WorkingData().SetCurveId(4, static_cast<std::uint8_t>(used));
    doc.TakeModified();
    CRecordingView view;
    doc.RegisterView(&view);

    prompt.answers = {MsgResult::No};
    EXPECT_FALSE(doc.DeleteSelected(Select(5, {1, 3})));
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdDeleteSelected});
    EXPECT_EQ(doc.WorkingData().GetCount(), 5);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(CCurveStore::Instance().HasCurve(unused));  // purged whatever the answer
    EXPECT_TRUE(CCurveStore::Instance().HasCurve(used));

    prompt.answers = {MsgResult::Yes};
    EXPECT_TRUE(doc.DeleteSelected(Select(5, {1, 3, 4})));
    EXPECT_EQ(ImpactCounters(), (std::vector<std::uint16_t>{100, 102}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(CCurveStore::Instance().HasCurve(used));
    EXPECT_EQ(view.notices, std::vector<int>{-1});
    // The summary was rebuilt over what is left.
    ASSERT_EQ(doc.Summary().GetEntryCount(), 1);
    EXPECT_EQ(doc.Summary().GetValueCount(0), 2);

    EXPECT_TRUE(doc.DeleteSelected(Select(2, {0}), false));  // cut: no question
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_THROW(doc.DeleteSelected(std::vector<std::uint8_t>{}, false), std::invalid_argument);
}

TEST_F(Document, MergeRefusals) {
    struct TCase {
        const char* what;
        int singles;
        int means;
        std::vector<int> selected;
        unsigned message;
    };
    std::vector<int> hundred(100);
    std::iota(hundred.begin(), hundred.end(), 0);
    const TCase cases[] = {
        {"a Mean series among them", 2, 1, {0, 1, 2}, Doc::kIdMergeOnlySingle},
        {"one series", 3, 0, {1}, Doc::kIdMergeTooFew},
        {"none", 3, 0, {}, Doc::kIdMergeTooFew},
        {"100 series", 100, 0, hundred, Doc::kIdMergeTooMany},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        CScriptedPrompt p;
        CHammerDoc d(p);
        for (int i = 0; i < c.singles; ++i) d.WorkingData().AppendSeries(MakeSeries({30}, kModeSingle));
        for (int i = 0; i < c.means; ++i) d.WorkingData().AppendSeries(MakeSeries({30, 31}, kModeMean));
        std::vector<std::uint8_t> selection(static_cast<std::size_t>(c.singles + c.means), 0);
        for (int i : c.selected) selection[static_cast<std::size_t>(i)] = 1;
        EXPECT_FALSE(d.MergeSelected(selection));
        EXPECT_EQ(p.ShownIds(), std::vector<unsigned>{c.message});
        EXPECT_EQ(d.WorkingData().GetCount(), c.singles + c.means);
    }
}

TEST_F(Document, MergeThreeSingleSeriesIntoOneMeanSeries) {
    Text::SetLanguageOverrides(std::make_shared<Text::LanguageTexts>(
        Text::LanguageTexts{{Doc::kIdMergeConfirm, u"You are about to merge %d \"Single\" series."}}));
    const std::uint16_t impacts[] = {50, 20, 90, 10};
    const std::uint32_t times[] = {5000, 7000, 3000, 100};
    for (int i = 0; i < 4; ++i) {
        TVantrelObject s = MakeSeries({20.0 + i}, kModeSingle);
        s.ImpactCounter = impacts[i];
        s.DateTime = times[i];
        doc.WorkingData().AppendSeries(s);
    }
    doc.TakeModified();

    prompt.answers = {MsgResult::No};
    EXPECT_FALSE(doc.MergeSelected(Select(4, {0, 1, 2})));
    EXPECT_EQ(doc.WorkingData().GetCount(), 4);
    ASSERT_EQ(prompt.ShownIds(), std::vector<unsigned>{Doc::kIdMergeConfirm});
    EXPECT_EQ(prompt.shown[0].text, u"You are about to merge 3 \"Single\" series.");
    Text::SetLanguageOverrides(nullptr);

    prompt.answers = {MsgResult::Yes};
    EXPECT_TRUE(doc.MergeSelected(Select(4, {0, 1, 2})));
    ASSERT_EQ(doc.WorkingData().GetCount(), 2);
    const TVantrelObject& merged = doc.WorkingData().Series(0);
    EXPECT_EQ(merged.AveragingMode, kModeMean);
    ASSERT_EQ(merged.ReadingCount(), 3);
    EXPECT_EQ(merged.Readings[0].QHalf, 40);
    EXPECT_EQ(merged.Readings[1].QHalf, 42);
    EXPECT_EQ(merged.Readings[2].QHalf, 44);
    EXPECT_EQ(merged.ImpactCounter, 20);
    EXPECT_EQ(merged.DateTime, 3000u);
    EXPECT_EQ(merged.UseInSummary, 0);
    EXPECT_EQ(doc.WorkingData().GetImpactCounter(1), 10);  // not selected, untouched
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(Document, MergeKeepsASourceWhoseReadingCouldNotBeTaken) {
    doc.WorkingData().AppendSeries(MakeSeries({20}, kModeSingle));
    doc.WorkingData().AppendSeries(MakeSeries({}, kModeSingle));  // no reading to give
    doc.WorkingData().AppendSeries(MakeSeries({22}, kModeSingle));
    prompt.answers = {MsgResult::Yes};
    EXPECT_TRUE(doc.MergeSelected(Select(3, {0, 1, 2})));
    ASSERT_EQ(doc.WorkingData().GetCount(), 2);
    EXPECT_EQ(doc.WorkingData().GetReadingCount(0), 2);
    EXPECT_EQ(doc.WorkingData().GetReadingCount(1), 0);
}

TEST_F(Document, AdjustTimeMovesOnlyTheSelectedSeries) {
    AddSeries(3);
    doc.WorkingData().Series(2).DateTime = 0xFFFFF000u;
    doc.TakeModified();
    CRecordingView view;
    doc.RegisterView(&view);
    doc.AdjustTime(Select(3, {0, 2}), 3600);
    EXPECT_EQ(doc.WorkingData().GetDateTime(0), 1000u + 3600u);
    EXPECT_EQ(doc.WorkingData().GetDateTime(1), 2000u);
    EXPECT_EQ(doc.WorkingData().GetDateTime(2), 0xFFFFF000u + 3600u);  // 32-bit unsigned arithmetic
    EXPECT_EQ(view.notices, (std::vector<int>{0, 2}));
    // A moved time is saved with the project like every other change.
    EXPECT_TRUE(doc.IsModified());
    doc.AdjustTime(Select(3, {1}), -2000);
    EXPECT_EQ(doc.WorkingData().GetDateTime(1), 0u);
}

TEST_F(Document, NamesAndCommentsMarkAndNotifyTheOtherViews) {
    AddSeries(2);
    doc.TakeModified();
    CRecordingView table, detail;
    doc.RegisterView(&table);
    doc.RegisterView(&detail);
    doc.SetSeriesName(1, u"Pillar", &table);
    doc.SetSeriesComment(0, u"cracked", &detail);
    EXPECT_EQ(doc.WorkingData().GetName(1), u"Pillar");
    EXPECT_EQ(doc.WorkingData().GetComment(0), u"cracked");
    EXPECT_EQ(table.notices, std::vector<int>{0});
    EXPECT_EQ(detail.notices, std::vector<int>{1});
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(Document, CloseProjectAsksOnlyWithUnsavedSeries) {
    struct TCase {
        const char* what;
        bool series;
        bool modified;
        bool withPath;
        std::vector<MsgResult> answers;
        std::optional<fs::path> saveChoice;
        bool closed;
        bool asked;
        bool saved;
    };
    const TCase cases[] = {
        {"unmodified", true, false, false, {}, std::nullopt, true, false, false},
        {"modified but empty", false, true, false, {}, std::nullopt, true, false, false},
        {"No", true, true, false, {MsgResult::No}, std::nullopt, true, true, false},
        {"Cancel", true, true, false, {MsgResult::Cancel}, std::nullopt, false, true, false},
        {"Yes with a path", true, true, true, {MsgResult::Yes}, std::nullopt, true, true, true},
        {"Yes, file chosen", true, true, false, {MsgResult::Yes}, fs::path("chosen.zvh"), true, true, true},
        {"Yes, file dialog cancelled", true, true, false, {MsgResult::Yes}, std::nullopt, false, true, false},
    };
    int n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path target = PathOf("close" + std::to_string(n) + ".zvh");
        const fs::path chosen = PathOf("chosen" + std::to_string(n++) + ".zvh");
        CScriptedPrompt p;
        CHammerDoc d(p);
        CRecordingView view;
        if (c.withPath) {
            d.WorkingData().AppendSeries(MakeSeries({10}));
            ASSERT_TRUE(d.SaveProject(target));
            ASSERT_TRUE(d.OpenProject(target));  // makes it the document's path
            d.WorkingData().Clear();
            p.shown.clear();
        }
        if (c.series) d.WorkingData().AppendSeries(MakeSeries({30}));
        d.SetModified(c.modified);
        d.RegisterView(&view);
        p.answers.assign(c.answers.begin(), c.answers.end());
        if (c.saveChoice) p.files.push_back(chosen);

        EXPECT_EQ(d.CloseProject(), c.closed);
        EXPECT_EQ(!p.shown.empty(), c.asked);
        if (c.asked) {
            EXPECT_EQ(p.shown.front().textId, Doc::kIdSaveChanges);
        }
        EXPECT_EQ(d.WorkingData().HasSeries(), !c.closed && c.series);
        if (c.closed) {
            EXPECT_TRUE(d.GetPath().empty());
            EXPECT_FALSE(d.IsModified());
            EXPECT_EQ(view.notices, std::vector<int>{-1});
        } else {
            EXPECT_TRUE(d.IsModified());
            EXPECT_TRUE(view.notices.empty());
        }
        if (c.saved) {
            EXPECT_TRUE(fs::exists(c.withPath ? target : chosen));
        }
        if (c.saveChoice && !c.saved) {
            EXPECT_FALSE(fs::exists(chosen));
        }
    }
}

TEST_F(Document, CloseEmptiesEverythingAndTheCurveStore) {
    AddSeries(2);
    doc.OriginalData().AppendSeries(MakeSeries({20}));
    doc.Summary().BuildSummary(doc.WorkingData());
    CCurveStore::Instance().AddCurve(MakeCurve("GONE", 1.0f), 50);
    doc.TakeModified();
    EXPECT_TRUE(doc.CloseProject());
    EXPECT_FALSE(doc.OriginalData().HasSeries());
    EXPECT_FALSE(doc.WorkingData().HasSeries());
    EXPECT_EQ(doc.Summary().GetEntryCount(), 0);
    EXPECT_EQ(CCurveStore::Instance().Count(), 0u);
}

TEST_F(Document, CommandStates) {
    using C = CHammerDoc::ECommand;
    const C onlyWithSeries[] = {C::SaveProjectAs, C::CloseProject,      C::Export,
                                C::Print,         C::MergeSingleSeries, C::RestoreOriginalData};
    EXPECT_TRUE(doc.IsCommandEnabled(C::OpenProject));
    EXPECT_FALSE(doc.IsCommandEnabled(C::SaveProject));
    for (C c : onlyWithSeries) EXPECT_FALSE(doc.IsCommandEnabled(c));
    AddSeries(1);
    for (C c : onlyWithSeries) EXPECT_TRUE(doc.IsCommandEnabled(c));
    EXPECT_FALSE(doc.IsCommandEnabled(C::SaveProject));
    doc.SetModified();
    EXPECT_TRUE(doc.IsCommandEnabled(C::SaveProject));
}

TEST_F(Document, DroppedFiles) {
    {
        CScriptedPrompt p;
        CHammerDoc source(p);
        source.WorkingData().AppendSeries(MakeSeries({30}));
        ASSERT_TRUE(source.SaveProject(PathOf("data.ZVH")));
    }
    WriteFile(PathOf("notes.txt"), Bytes{'h', 'i'});

    EXPECT_FALSE(doc.OnDropFiles({}));
    EXPECT_FALSE(doc.OnDropFiles({PathOf("notes.txt"), PathOf("data.ZVH")}));  // only the first counts
    EXPECT_FALSE(doc.WorkingData().HasSeries());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(doc.OnDropFiles({PathOf("data.ZVH"), PathOf("notes.txt")}));
    EXPECT_EQ(doc.WorkingData().GetCount(), 1);
    EXPECT_EQ(doc.GetPath(), PathOf("data.ZVH"));
}

TEST_F(Document, OpenAsksForAFileAndClosesFirst) {
    {
        CScriptedPrompt p;
        CHammerDoc source(p);
        source.WorkingData().AppendSeries(MakeSeries({30}));
        ASSERT_TRUE(source.SaveProject(PathOf("a.zvh")));
    }
    EXPECT_FALSE(doc.OpenProject());  // the dialog was cancelled
    AddSeries(2);
    doc.SetModified();
    prompt.files = {PathOf("a.zvh")};
    prompt.answers = {MsgResult::Cancel};
    EXPECT_FALSE(doc.OpenProject());  // the save prompt was cancelled
    EXPECT_EQ(doc.WorkingData().GetCount(), 2);
    prompt.files = {PathOf("a.zvh")};
    prompt.answers = {MsgResult::No};
    EXPECT_TRUE(doc.OpenProject());
    EXPECT_EQ(doc.WorkingData().GetCount(), 1);
    EXPECT_FALSE(doc.IsModified());
}
