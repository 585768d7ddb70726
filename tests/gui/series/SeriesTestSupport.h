#pragma once
// Shared pieces of the Series tab tests: a document with the stream layer up,
// a scratch curve folder and an empty curve store; series builders; and a user
// interface that answers from a script and records what it was shown.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "doc/HammerDoc.h"
#include "doc/MemoryClipboard.h"
#include "model/CurveStore.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "streamio/StreamRegistry.h"
#include "support/ScriptedPrompt.h"
#include "text/Encoding.h"
#include "views/series/SeriesUi.h"

namespace SeriesTest {

namespace fs = std::filesystem;

// The hammer type letter at index 15 (older download format) or 16 (newer).
inline const std::u16string kTypeNOld = u"Talvenbrecker  N";
inline const std::u16string kTypeLOld = u"Talvenbrecker  L";
inline const std::u16string kTypeNNew = u"TALVENBRECKER   N";

// 2023-05-04 13:07:09 on the hammer's clock.
inline constexpr std::uint32_t kMay4 = 736520829;

struct TSeriesSetup {
    std::uint16_t impactCounter = 1;
    std::u16string name{};
    std::uint32_t dateTime = kMay4;
    std::uint8_t mode = kModeMean;
    std::uint8_t unit = kUnitNmm2;
    std::uint8_t curve = 1;  // B-TOLVEX, 19 to 61 Q on type N
    std::uint8_t form = 4;   // cube 150 mm, factor 1.00
    std::uint8_t carbonation = 0;
    std::vector<double> q{};
    std::uint16_t energy = 500;
    std::u16string serial = u"S-1001";
    std::u16string comment{};
    std::uint8_t expanded = 0;
    std::uint8_t upper = 0;
    std::uint8_t lower = 0;
    std::u16string deviceType = kTypeNOld;
    std::uint8_t newFormat = 0;
    std::uint8_t inSummary = 1;
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
    s.DeviceType = setup.deviceType;
    s.NewDataFormat = setup.newFormat;
    s.SerialNumber = setup.serial;
    s.Comment = setup.comment;
    s.Expanded = setup.expanded;
    s.UpperOutliers = setup.upper;
    s.LowerOutliers = setup.lower;
    s.UseInSummary = setup.inSummary;
    for (double v : setup.q) s.Readings.push_back(TMeas{static_cast<std::uint8_t>(v * 2), setup.energy, 0});
    s.DeviceCount = static_cast<std::uint8_t>(s.Readings.size());
    s.ResetReadingFlags();
    return s;
}

// n readings from `first` upwards in steps of `step`, wrapping below 70 Q.
inline std::vector<double> Readings(int n, double first = 30, double step = 0.5) {
    std::vector<double> q;
    for (int i = 0; i < n; ++i) q.push_back(first + std::fmod(i * step, 40.0));
    return q;
}

inline QString Q(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::string Utf8(const QString& text) {
    return text.toStdString();
}

// Tabs and line ends made visible, so a failing comparison shows where.
inline std::string Visible(const QString& text) {
    QString v = text;
    v.replace(QStringLiteral("\t"), QStringLiteral("<TAB>"));
    v.replace(QStringLiteral("\r"), QStringLiteral("<CR>"));
    v.replace(QStringLiteral("\n"), QStringLiteral("<LF>\n"));
    return v.toStdString();
}

// Answers in place of the user and remembers what was asked.
class CScriptedUi : public ISeriesUi {
  public:
    struct TMenu {
        EChooserStrip strip = EChooserStrip::kNone;
        std::vector<TChooserItem> items;
        TChooserPlacement where;
    };
    std::vector<TMenu> menus;
    std::vector<std::vector<TChooserItem>> contextMenus;
    std::vector<TSliderSetup> sliders;
    std::vector<std::u16string> comments;
    std::vector<std::uint32_t> adjustTimes;
    int notAddedShown = 0;

    std::deque<int> menuAnswers;  // 0 when exhausted
    std::deque<std::optional<double>> sliderAnswers;
    std::deque<std::optional<std::u16string>> commentAnswers;
    std::deque<std::optional<std::int64_t>> timeAnswers;
    bool doNotShowAgain = false;
    std::deque<std::optional<bool>> printAnswers;  // nothing: cancelled
    int printDialogs = 0;
    bool printSelectionOffered = false;
    std::function<void(QPrinter&)> onPrintDialog;  // the user's choices in the dialog
    int cancelPrintAtPage = -1;                    // the user cancels before this page (0-based)
    std::vector<std::pair<int, int>> printProgress;

    int RunChooserMenu(QWidget*, EChooserStrip strip, const std::vector<TChooserItem>& items,
                       const TChooserPlacement& where) override {
        menus.push_back({strip, items, where});
        return Next(menuAnswers, 0);
    }
    int RunContextMenu(QWidget*, const std::vector<TChooserItem>& items, const QPoint&) override {
        contextMenus.push_back(items);
        return Next(menuAnswers, 0);
    }
    std::optional<double> RunSlider(QWidget*, const TSliderSetup& setup) override {
        sliders.push_back(setup);
        return Next(sliderAnswers, std::optional<double>());
    }
    std::optional<std::u16string> RunComment(QWidget*, const std::u16string& text) override {
        comments.push_back(text);
        return Next(commentAnswers, std::optional<std::u16string>());
    }
    std::optional<std::int64_t> RunAdjustTime(QWidget*, std::uint32_t original, std::uint32_t) override {
        adjustTimes.push_back(original);
        return Next(timeAnswers, std::optional<std::int64_t>());
    }
    bool RunSeriesNotAdded(QWidget*) override {
        ++notAddedShown;
        return doNotShowAgain;
    }
    bool PrintProgress(QWidget*, int done, int total) override {
        printProgress.emplace_back(done, total);
        return done != cancelPrintAtPage;
    }
    std::optional<bool> RunPrintDialog(QWidget*, QPrinter& printer, bool selectionOffered) override {
        ++printDialogs;
        printSelectionOffered = selectionOffered;
        if (onPrintDialog) onPrintDialog(printer);
        return Next(printAnswers, std::optional<bool>());
    }

  private:
    template <class T>
    static T Next(std::deque<T>& answers, T none) {
        if (answers.empty()) return none;
        T a = answers.front();
        answers.pop_front();
        return a;
    }
};

// A document with the stream layer, a scratch curve folder and an empty store.
class CDocScope {
  public:
    CDocScope() {
        StreamIO::StartStreams();
        std::string pattern = (fs::temp_directory_path() / "brelvantor-series-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_dir = pattern;
        ::setenv("BRELVANTOR_CURVES", (m_dir / "curves").c_str(), 1);
        CCurveStore::Instance().Clear();
        doc = std::make_unique<CHammerDoc>(prompt, &clipboard);
    }
    ~CDocScope() {
        doc.reset();
        CCurveStore::Instance().Clear();
        StreamIO::ShutdownStreams();
        ::unsetenv("BRELVANTOR_CURVES");
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    CDocScope(const CDocScope&) = delete;
    CDocScope& operator=(const CDocScope&) = delete;

    CHammerData& Data() { return doc->WorkingData(); }
    int Add(const TSeriesSetup& setup) {
        Data().AppendSeries(MakeSeries(setup));
        return Data().GetCount() - 1;
    }
    // Tells the views that everything changed, as loading does.
    void Loaded() { doc->NotifyViews(nullptr, -1); }
    const fs::path& Dir() const { return m_dir; }

    CScriptedPrompt prompt;
    Doc::CMemoryClipboard clipboard;
    std::unique_ptr<CHammerDoc> doc;

  private:
    fs::path m_dir;
};

}  // namespace SeriesTest
