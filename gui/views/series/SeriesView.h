#pragma once
// The "Series" page: every series of the document as a row of the grid, with
// its settings and statistics, a detail area that opens below it, sorting by
// any column, selection, renaming in place, the setting choosers, merging,
// deleting, the clipboard and the in-summary switches. It keeps no series
// data of its own: every text is read from the document (through the report
// module's texts) whenever rows are built.
//
// Series i owns the grid rows 2i (main row) and 2i + 1 (detail row, height 0
// while collapsed); the header row is the grid's header.
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "doc/DocView.h"
#include "model/HammerData.h"
#include "model/Statistics.h"
#include "report/SeriesTable.h"
#include "tools/dialogs/PrintTarget.h"
#include "ui/grid/GridModel.h"
#include "views/series/GridCellSeries.h"
#include "views/series/SeriesUi.h"

class CHammerDoc;
class CGridView;
class CGridCellDetailGripper;
class QItemSelection;
class QPrinter;
namespace Doc {
class IClipboard;
}

class CSeriesView : public QWidget, public IDocView, private IGridRowSource, private ISeriesCellHost {
    Q_OBJECT
  public:
    // The requests of the tab container, by their numbers.
    enum ERequest : int {
        kPrint = 1025,
        kCopy = 1026,
        kCanCopy = 1027,
        kCopyPicture = 1028,
        kCanCopyPicture = 1029,
        kPaste = 1030,
        kCanPaste = 1031,
        kCut = 1032,
        kCanCut = 1033,
        kDelete = 1034,
        kCanDelete = 1035,
        kSelectAll = 1036,
        kCanSelectAll = 1037,
        kDocChanged = 1038,
        kExportText = 1039,
        kCreateOneSeries = 1040,
        kRefill = 1124,
    };

    // Registers with the document; `clipboard` is asked whether it holds series.
    CSeriesView(CHammerDoc& doc, bool energyDisplay, std::uint32_t dtFormat,
                Doc::IClipboard* clipboard = nullptr, QWidget* parent = nullptr);
    ~CSeriesView() override;

    CGridView* Grid() const { return m_grid; }
    // Dialogs and menus go through `ui` (tests answer in place of a user).
    void SetUserInterface(ISeriesUi* ui) { m_ui = ui ? ui : &m_qtUi; }
    // Texts, the energy column or the date and time patterns changed: rebuild.
    void SetOptions(bool energyDisplay, std::uint32_t dtFormat);
    void SetDateTimeFormat(std::uint32_t dtFormat) { SetOptions(m_energy, dtFormat); }
    void Refresh();
    bool EnergyDisplay() const { return m_energy; }
    // How the table sorts names: the collation of the user's locale.
    static CHammerData::NameOrder NameCollation();

    // --- Page requests ----------------------------------------------------------
    // A query answers 1 to enable its command; other requests answer 1 when
    // done. `text` receives the export text of kExportText (a null one is ignored).
    long PageRequest(int request, QString* text = nullptr, int parameter = 0);
    bool HasSelection() const;
    bool CanPaste() const;
    bool CanSelectAll() const;
    void Copy();
    void Cut();
    void Paste();
    void Delete();
    void SelectAll();
    void CopyPicture();
    bool CreateOneSeries();
    QString ExportText() const;
    // Prints the whole table, or the selected rows only, with the header and
    // footer texts; false when the printer did not take the job. PrintWithDialog
    // asks first (a PDF file when no printer is installed) and reports a failure.
    bool Print(QPrinter& printer, bool selectionOnly);
    // The same, asking `progress` (pages done, page count) before every page
    // and once at the end; it answers false to cancel the job.
    PrintTarget::EPrintEnd PrintPages(QPrinter& printer, bool selectionOnly,
                                      const std::function<bool(int, int)>& progress);
    void PrintWithDialog();
    void Refill(int scrollPosition);

    // --- What the user does in the table -----------------------------------------------
    void SortByColumn(int column);
    void ExpandAll();
    void CollapseAll();
    void UseAllInSummary(bool use);
    void RightClick(int row, int column, const QPoint& globalPos);
    void CellClicked(int row, int column);
    // One step of every running height animation; true while any is left.
    bool StepAnimations();
    bool IsAnimating() const { return !m_animating.empty(); }

    // --- State --------------------------------------------------------------------------
    int SeriesCount() const;
    static int MainRow(int series) { return 2 * series; }
    static int DetailRow(int series) { return 2 * series + 1; }
    CGridCellDetailGripper* Gripper(int series) const;
    CGridCellSeries* DetailCell(int series) const;
    // One flag per series: its main row is selected (its column-4 cell), or,
    // with `detailToo`, its main or its detail row.
    std::vector<std::uint8_t> SelectedSeries(bool detailToo) const;
    QString SelectionText() const { return m_selectionText; }
    QString ProgressText() const { return m_progressText; }
    const std::vector<int>& SavedColumnWidths() const { return m_savedWidths; }
    bool NotAddedNoticeSuppressed() const { return m_notAddedSuppressed; }
    const Report::CSeriesTable& Table() const override { return *m_table; }

    // IDocView
    void OnDocChanged(int index) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  signals:
    // The selection text followed by the progress text, for the status bar.
    void statusText(const QString& text);
    // The answers to the enabling queries may have changed.
    void commandStateChanged();

  private:
    // Building
    void Rebuild();
    void RefreshSeries(int series);
    // The rows of one series only, without the status texts.
    void RefreshRows(int series);
    void FillMainRow(int series, CGridRow& cells);
    void FillRow(int row, CGridRow& cells) override;
    void SizeColumns();
    void ExpandDetail(int series, bool immediate);
    void CollapseDetail(int series, bool immediate);
    void SyncGrippers(bool redraw = true);
    void ApplySortIndicator();
    int DetailWidth() const;
    // Status texts
    void SetProgress(const QString& text);
    void UpdateSelectionText(bool force);
    void EmitStatus();
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // Actions
    void GripperClicked(int series);
    void DetailClicked(int series);
    void ContextMenu(bool full, const QPoint& globalPos);
    void OpenChooser(int series, int column, const QPoint& globalPos);
    void Announce(const std::vector<int>& changed);
    TChooserPlacement PlacementOf(const QRect& viewportRect, int mouseX) const;

    // ISeriesCellHost
    CHammerData& Data() override;
    const TStatistics& Statistics(int series) override;
    int FormatState() const override { return m_formatState; }
    QFont DetailFont() const override;
    void SetDetailHeight(int series, int height) override;
    void AnimationWanted(int series) override;

    CHammerDoc& m_doc;
    bool m_energy;
    std::uint32_t m_dtFormat;
    Doc::IClipboard* m_clipboard;
    CQtSeriesUi m_qtUi;
    ISeriesUi* m_ui = &m_qtUi;
    std::unique_ptr<Report::CSeriesTable> m_table;
    CGridView* m_grid;
    QTimer m_animationTimer;
    std::set<int> m_animating;  // series whose detail height still moves
    std::vector<std::optional<TStatistics>> m_stats;
    int m_formatState = -1;
    int m_rowsBuilt = 0;  // series the rows were built for
    std::vector<int> m_savedWidths;
    // Heights detail cells were measured to need, per series record and
    // width. Kept only across a re-sort, where no series changed.
    struct TMeasured {
        int width = 0;
        int height = 0;
    };
    std::unordered_map<const void*, TMeasured> m_measured;
    bool m_reorderOnly = false;
    bool m_notAddedSuppressed = false;
    bool m_syncingSelection = false;
    // Other views (the summary) may change in-summary flags after this view
    // heard of a change: the grippers are set again before the next paint.
    bool m_grippersDirty = false;
    QString m_selectionText;
    QString m_progressText;
};
