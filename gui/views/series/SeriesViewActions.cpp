// CSeriesView: what the user does in the table: sorting, the gripper, the
// detail cells' links, the context menu and choosers, and the editing
// commands.
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <functional>

#include "BrelvantorVersion.h"
#include "doc/HammerDoc.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "report/PrintTexts.h"
#include "tools/graph/PictureData.h"
#include "text/DateTimeFormat.h"
#include "text/StringTable.h"
#include "tools/dialogs/PrintTarget.h"
#include "ui/LocalTime.h"
#include "ui/WaitCursor.h"
#include "ui/grid/GridView.h"
#include "views/series/ColorScheme.h"
#include "views/series/GridCellDetailGripper.h"
#include "views/series/SeriesChoosers.h"
#include "views/series/SeriesText.h"
#include "views/series/SeriesView.h"

namespace {

// Sort codes per column: the first is taken unless the table is already
// sorted by it, then the second.
struct SSortPair {
    std::uint8_t first;
    std::uint8_t second;
};
constexpr SSortPair kSortPairs[] = {{1, 2},   {5, 6},   {3, 4},   {7, 8},   {9, 10},  {11, 12}, {13, 14},
                                    {17, 18}, {15, 16}, {19, 20}, {21, 22}, {23, 24}, {25, 26}};

// Context menu commands.
enum EMenuId {
    kMenuExpandAll = 1,
    kMenuCollapseAll,
    kMenuUseAll,
    kMenuRemoveAll,
    kMenuCut,
    kMenuCopy,
    kMenuPaste,
    kMenuDelete,
};

TChooserItem MenuItem(unsigned textId, int id, bool enabled = true) {
    TChooserItem item;
    item.text = SeriesText::Load(textId);
    item.id = id;
    item.enabled = enabled;
    return item;
}

}  // namespace

// --- Editing commands ----------------------------------------------------------------------------

void CSeriesView::Copy() {
    if (!HasSelection()) return;
    CWaitCursor wait;
    const QString text = m_grid->BuildText(true, true, false);
    m_doc.CopySelected(SelectedSeries(true), SeriesText::FromQ(text));
    emit commandStateChanged();
}

void CSeriesView::Cut() {
    if (!HasSelection()) return;
    CWaitCursor wait;
    const int scroll = m_grid->VerticalScrollPosition();
    const QString text = m_grid->BuildText(true, true, false);
    // Deletes without asking once the clipboard took the series.
    if (m_doc.CutSelected(SelectedSeries(true), SeriesText::FromQ(text)))
        m_grid->SetVerticalScrollPosition(scroll);
    m_grid->viewport()->update();
    emit commandStateChanged();
}

void CSeriesView::Paste() {
    CWaitCursor wait;
    m_doc.Paste();  // the document tells every view, which rebuilds the table
    emit commandStateChanged();
}

void CSeriesView::Delete() {
    if (!HasSelection()) return;
    const int scroll = m_grid->VerticalScrollPosition();
    if (m_doc.DeleteSelected(SelectedSeries(false))) m_grid->SetVerticalScrollPosition(scroll);
    m_grid->viewport()->update();
    emit commandStateChanged();
}

bool CSeriesView::CreateOneSeries() {
    if (SeriesCount() == 0) return false;
    return m_doc.MergeSelected(SelectedSeries(false));
}

void CSeriesView::CopyPicture() {
    if (!HasSelection()) return;
    CWaitCursor wait;
    const QSize size = m_grid->SelectedRowsPictureSize();
    if (size.isEmpty()) return;
    std::unique_ptr<QMimeData> mime =
        PictureData::Make(size, [&](QPainter& painter) { m_grid->RenderSelectedRows(painter); });
    if (mime) QGuiApplication::clipboard()->setMimeData(mime.release());
}

bool CSeriesView::Print(QPrinter& printer, bool selectionOnly) {
    return PrintPages(printer, selectionOnly, {}) == PrintTarget::EPrintEnd::Printed;
}

namespace {

// A piece of a row on a page: a row taller than a page goes on over the
// following pages instead of being cut off at the first one's bottom.
struct SRowSlice {
    int row = 0;
    int top = 0;  // from the row's top
    int height = 0;
};

}  // namespace

PrintTarget::EPrintEnd CSeriesView::PrintPages(QPrinter& printer, bool selectionOnly,
                                               const std::function<bool(int, int)>& progress) {
    using PrintTarget::EPrintEnd;
    std::vector<int> rows;
    const std::vector<char> selected = m_grid->SelectedRowMask();
    for (int r = 0; r < m_grid->GridModel()->RowCount(); ++r)
        if (m_grid->RowHeight(r) > 0 && (!selectionOnly || selected[static_cast<std::size_t>(r)]))
            rows.push_back(r);
    QString docName = SeriesText::Get(57344);
    for (const QWidget* w = this; docName.isEmpty() && w; w = w->parentWidget()) docName = w->windowTitle();
    printer.setDocName(docName);
    // The cells' fonts are sized in points, which the printer resolves at its
    // own resolution: at that of a screen the page shows the table as the
    // window does. A PDF and a printer's page stay vector drawings either way.
    printer.setResolution(96);
    QPainter painter;
    if (!painter.begin(&printer)) return EPrintEnd::Failed;

    // The table at its size on screen: a pixel of 1/96 inch.
    const double scale = printer.resolution() / 96.0;
    const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
    const int pageWidth = static_cast<int>(paper.width() / scale);
    const int pageHeight = static_cast<int>(paper.height() / scale);
    // The print font of header and footer.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics fm(bold);
    const int band = fm.height() * 2;
    const int body = std::max(1, pageHeight - 2 * band - m_grid->HeaderHeight());

    // Columns that do not fit go on further pages, each beginning with the
    // impact counter again so that its rows can be told apart; rows that do
    // not fit go on further pages too. A column wider than a whole page (a
    // long name) is cut at the page's edge and goes on on the next page.
    int keyWidth = m_table->ColumnCount() > 1 ? m_grid->ColumnWidth(0) : 0;
    if (keyWidth > pageWidth / 2) keyWidth = 0;
    std::vector<std::pair<int, int>> columnPages;  // the table's pixels [from, to) on each page
    {
        int from = 0;
        int x = 0;
        for (int c = 0; c < m_table->ColumnCount(); ++c) {
            const int w = m_grid->ColumnWidth(c);
            // Room on a page begins after the repeated impact counter.
            const auto room = [&] { return std::max(1, from == 0 ? pageWidth : pageWidth - keyWidth); };
            if (x > from && x + w - from > room() && w <= pageWidth - keyWidth) {
                // The whole column fits on the next page.
                columnPages.push_back({from, x});
                from = x;
            }
            while (x + w - from > room()) {
                columnPages.push_back({from, from + room()});
                from += room();
            }
            x += w;
        }
        if (x > from || columnPages.empty()) columnPages.push_back({from, x});
    }
    std::vector<std::vector<SRowSlice>> rowPages(1);
    for (int used = 0; const int r : rows) {
        const int h = m_grid->RowHeight(r);
        for (int top = 0; top < h;) {
            if (!rowPages.back().empty() && used + std::min(h - top, body) > body) {
                rowPages.emplace_back();
                used = 0;
            }
            const int piece = std::min(h - top, body - used);
            rowPages.back().push_back({r, top, piece});
            used += piece;
            top += piece;
        }
    }

    const Report::TPrintTexts texts = Report::TablePrintTexts(
        {BRELVANTOR_VERSION_MAJOR, BRELVANTOR_VERSION_MINOR, BRELVANTOR_VERSION_PATCH, BRELVANTOR_VERSION_TWEAK},
        m_doc.GetPath(), LocalCalendarNow(), m_dtFormat);
    const QString printed = SeriesText::ToQ(texts.printed);
    const QFontMetrics footMetrics(font);
    // A long file name gives way to the date in the middle.
    const int fileRoom = std::max(0, (pageWidth - footMetrics.horizontalAdvance(printed)) / 2 - 8);
    const QString file = footMetrics.elidedText(SeriesText::ToQ(texts.file), Qt::ElideMiddle, fileRoom);

    const int total = static_cast<int>(rowPages.size() * columnPages.size());
    int number = 0;
    for (const std::vector<SRowSlice>& pageRows : rowPages) {
        for (const auto& [from, to] : columnPages) {
            if (progress && !progress(number, total)) {
                printer.abort();
                return EPrintEnd::Cancelled;
            }
            if (number > 0 && !printer.newPage()) {
                printer.abort();
                return EPrintEnd::Failed;
            }
            ++number;
            painter.save();
            painter.scale(scale, scale);
            painter.setFont(bold);
            painter.setPen(CColorScheme::TableText());
            const QRect head(0, 0, pageWidth, fm.height());
            painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter, SeriesText::ToQ(texts.left));
            painter.drawText(head, Qt::AlignHCenter | Qt::AlignVCenter, SeriesText::ToQ(texts.centre));
            painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter, SeriesText::ToQ(texts.right));
            painter.drawLine(0, fm.height() + 2, pageWidth, fm.height() + 2);

            // The table's pixels [left, left + w) drawn at x.
            auto drawColumns = [&](int x, int left, int w) {
                painter.save();
                painter.translate(x - left, band);
                painter.setClipRect(QRect(left, 0, w, m_grid->HeaderHeight()));
                m_grid->RenderRows(painter, {}, true, left, left + w);
                for (int y = m_grid->HeaderHeight(); const SRowSlice& slice : pageRows) {
                    painter.save();
                    painter.translate(0, y - slice.top);
                    painter.setClipRect(QRect(left, slice.top, w, slice.height));
                    m_grid->RenderRows(painter, {slice.row}, false, left, left + w);
                    painter.restore();
                    y += slice.height;
                }
                painter.restore();
            };
            const int x = from > 0 ? keyWidth : 0;
            if (from > 0 && keyWidth > 0) drawColumns(0, 0, keyWidth);
            drawColumns(x, from, to - from);

            painter.setFont(font);
            painter.setPen(CColorScheme::TableText());
            const QRect foot(0, pageHeight - fm.height(), pageWidth, fm.height());
            painter.drawLine(0, foot.top() - 3, pageWidth, foot.top() - 3);
            painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, file);
            painter.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter, printed);
            painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                             SeriesText::ToQ(Report::PageText(number, total)));
            painter.restore();
        }
    }
    if (progress) progress(total, total);
    return painter.end() ? EPrintEnd::Printed : EPrintEnd::Failed;
}

void CSeriesView::PrintWithDialog() {
    QPrinter printer(QPrinter::HighResolution);
    PrintTarget::Prepare(printer, PrintTarget::SuggestedPdfFile(m_doc.GetPath()),
                         PrintTarget::InstalledPrinters());
    const auto selectionOnly = m_ui->RunPrintDialog(this, printer, HasSelection());
    if (!selectionOnly) return;
    // A long print can be cancelled; what was drawn of it then goes nowhere.
    const PrintTarget::SPrintOutcome outcome = PrintTarget::PrintSafely(printer, [&](QPrinter& p) {
        return PrintPages(p, *selectionOnly,
                          [&](int done, int total) { return m_ui->PrintProgress(this, done, total); });
    });
    // A job that went nowhere is said; the dialog closing is no sign of it.
    if (outcome.end == PrintTarget::EPrintEnd::Failed) PrintTarget::ReportFailure(printer, m_doc.Prompt());
}

// --- Sorting ---------------------------------------------------------------------------------------

void CSeriesView::SortByColumn(int column) {
    CHammerData& data = m_doc.WorkingData();
    if (!data.HasSeries() || column < 0 || column >= m_table->ColumnCount()) return;
    const SSortPair pair = kSortPairs[column];
    const std::uint8_t code = data.GetSortKey() == pair.first ? pair.second : pair.first;
    data.Sort(code);
    m_grid->SetSortIndicator(column, code % 2 == 1);
    m_savedWidths = m_grid->ColumnWidths();
    // The order of the series changed under every other view too (the summary
    // refers to series by their position).
    m_doc.NotifyViews(this, -1);
    const int scroll = m_grid->VerticalScrollPosition();
    m_reorderOnly = true;
    QMetaObject::invokeMethod(
        this, [this, scroll] { Refill(scroll); }, Qt::QueuedConnection);
}

// --- Expand and collapse ------------------------------------------------------------------------------

void CSeriesView::ExpandAll() {
    CWaitCursor wait;
    m_grid->SetRedraw(false);
    CHammerData& data = m_doc.WorkingData();
    const int n = std::min(SeriesCount(), m_rowsBuilt);
    for (int i = 0; i < n; ++i) {
        if (i % 11 == 0) SetProgress(SeriesText::FormatText(u"%s %d", SeriesText::Load(59597), i + 1));
        ExpandDetail(i, true);
        data.SetExpanded(i, 1);
    }
    SetProgress(QString());
    m_grid->SetRedraw(true);
}

void CSeriesView::CollapseAll() {
    CWaitCursor wait;
    m_grid->SetRedraw(false);
    CHammerData& data = m_doc.WorkingData();
    const int n = std::min(SeriesCount(), m_rowsBuilt);
    for (int i = 0; i < n; ++i) {
        // Rows never expanded have nothing to collapse.
        if (m_grid->RowHeight(DetailRow(i)) > 0 || data.GetExpanded(i)) CollapseDetail(i, true);
        if (CGridCellDetailGripper* gripper = Gripper(i)) gripper->SetExpanded(false);
        data.SetExpanded(i, 0);
    }
    SetProgress(QString());
    m_grid->SetRedraw(true);
}

void CSeriesView::UseAllInSummary(bool use) {
    // The document tells every view that everything changed.
    m_doc.WorkingData().SetUseInSummaryAll(use ? 1 : 0);
}

// --- Clicks --------------------------------------------------------------------------------------------

void CSeriesView::CellClicked(int row, int column) {
    const int series = row / 2;
    if (row < 0 || series >= SeriesCount() || series >= m_rowsBuilt) return;
    if (row % 2 == 0 && column == Report::kColImpactCounter)
        GripperClicked(series);
    else if (row % 2 == 1 && column == 1)
        DetailClicked(series);
}

void CSeriesView::GripperClicked(int series) {
    CGridCellDetailGripper* gripper = Gripper(series);
    if (!gripper) return;
    CHammerData& data = m_doc.WorkingData();
    const int pair = gripper->LastClickedPair();
    if (pair == CGridCellDetailGripper::kExpandPair) {
        const bool expand = gripper->IsExpanded();
        if (expand)
            ExpandDetail(series, false);
        else
            CollapseDetail(series, false);
        data.SetExpanded(series, expand ? 1 : 0);
        return;
    }
    if (pair != CGridCellDetailGripper::kSummaryPair) return;
    const bool switchOn = gripper->IsInSummary();  // the state the gripper shows now
    // Tells every view (the summary page rebuilds the summary); the summary is
    // built here as well, so what it refuses is known whoever listens.
    data.SetUseInSummary(series, switchOn ? 1 : 0);
    m_doc.Summary().BuildSummary(data);
    SyncGrippers();
    // Building may take other series out at the same moment (ones that no
    // longer fit the group): whether this one was added is its own flag.
    if (switchOn && series < data.GetCount() && data.GetUseInSummary(series) == 0 && !m_notAddedSuppressed)
        m_notAddedSuppressed = m_ui->RunSeriesNotAdded(this);
}

TChooserPlacement CSeriesView::PlacementOf(const QRect& viewportRect, int mouseX) const {
    const QPoint topLeft = m_grid->viewport()->mapToGlobal(viewportRect.topLeft());
    TChooserPlacement where;
    where.mouseX = mouseX;
    where.left = topLeft.x();
    where.right = topLeft.x() + viewportRect.width();
    where.bottom = topLeft.y() + viewportRect.height();
    return where;
}

void CSeriesView::Announce(const std::vector<int>& changed) {
    if (changed.size() <= 1) {
        for (int series : changed) m_doc.NotifyViews(nullptr, series);
        return;
    }
    // Many series at once: this table refreshes their rows, the other views
    // hear one notice instead of one per series.
    if (SeriesCount() != m_rowsBuilt) {
        Rebuild();
    } else {
        for (int series : changed) RefreshRows(series);
        ApplySortIndicator();
    }
    m_doc.NotifyViews(this, -1);
    emit commandStateChanged();
}

void CSeriesView::DetailClicked(int series) {
    CGridCellSeries* cell = DetailCell(series);
    if (!cell) return;
    const int area = cell->ClickedArea();
    if (area == CSeriesDetailPainter::kAreaNone) return;
    CHammerData& data = m_doc.WorkingData();
    const QRect cellRect = m_grid->CellRect(DetailRow(series), 1);
    const QRect textRect = cell->ClickedRect().translated(cellRect.topLeft());
    const int mouseX = m_grid->viewport()->mapToGlobal(cellRect.topLeft() + cell->ClickedPoint()).x();
    const TChooserPlacement where = PlacementOf(textRect, mouseX);
    CSeriesChoosers choosers(m_doc, *m_ui, this);
    bool changed = false;
    switch (area) {
        case CSeriesDetailPainter::kAreaOrder:
            data.SetDiagramOrder(
                series, static_cast<std::int16_t>(1 - CSeriesDetailPainter::EffectiveOrder(data, series)));
            changed = true;
            break;
        case CSeriesDetailPainter::kAreaComment: {
            const auto comment = m_ui->RunComment(this, data.GetComment(series));
            if (comment) {
                m_doc.SetSeriesComment(series, *comment, this);
                RefreshSeries(series);
            }
            break;
        }
        case CSeriesDetailPainter::kAreaMode: {
            std::uint8_t mode = 0;
            if (choosers.ChooseAveragingMode(where, mode)) {
                data.SetAveragingMode(series, mode);
                changed = true;
            }
            break;
        }
        case CSeriesDetailPainter::kAreaCurve: {
            const bool typeN = data.IsTypeN(series);
            int curve = 0;
            if (choosers.ChooseCurve(where, typeN, !typeN, curve)) {
                data.ChangeCurve(series, curve, m_doc.CurveLibrary(), &m_doc.OriginalData());
                changed = true;
            }
            break;
        }
        case CSeriesDetailPainter::kAreaForm: {
            std::uint8_t code = 0;
            if (choosers.ChooseFormFactor(where, data.GetFormCode(series), data.GetUnit(series) == kUnitPSI,
                                          code)) {
                data.SetFormCode(series, code);
                changed = true;
            }
            break;
        }
        case CSeriesDetailPainter::kAreaCarbonation: {
            std::uint8_t code = 0;
            if (choosers.ChooseCarbonation(where, data.GetCarbonationCode(series),
                                           data.GetUnit(series) == kUnitPSI, code)) {
                data.SetCarbonationCode(series, code);
                changed = true;
            }
            break;
        }
        case CSeriesDetailPainter::kAreaUnit: {
            std::uint8_t unit = 0;
            if (choosers.ChooseUnit(where, data.GetAveragingMode(series) == kModeSingle, unit)) {
                data.SetUnit(series, unit);
                changed = true;
            }
            break;
        }
        default:
            break;
    }
    if (changed && series < SeriesCount()) m_doc.NotifyViews(nullptr, series);
    // The rows may have been rebuilt meanwhile: ask for the cell again.
    if (CGridCellSeries* again = DetailCell(series)) {
        again->SetHoveredArea(0);
        m_grid->GridModel()->RowChanged(DetailRow(series));
    }
}

// --- Right clicks ----------------------------------------------------------------------------------------

void CSeriesView::RightClick(int row, int column, const QPoint& globalPos) {
    if (row < 0 || row / 2 >= SeriesCount() || row / 2 >= m_rowsBuilt) {
        ContextMenu(false, globalPos);
        return;
    }
    const int series = row / 2;
    const bool mainRow = row % 2 == 0;
    if (mainRow && !m_grid->IsRowSelected(row)) {
        m_grid->SelectRows({MainRow(series), DetailRow(series)}, false);
        m_grid->selectionModel()->setCurrentIndex(m_grid->GridModel()->index(row, column),
                                                  QItemSelectionModel::NoUpdate);
    }
    if (column == Report::kColImpactCounter) {
        ContextMenu(true, globalPos);
        return;
    }
    if (!mainRow) return;
    switch (column) {
        case Report::kColDateTime:
        case Report::kColMeanValue:
        case Report::kColAveragingMode:
        case Report::kColUpperOutliers:
        case Report::kColLowerOutliers:
        case Report::kColCurve:
        case Report::kColForm:
        case Report::kColCarbonation:
            OpenChooser(series, column, globalPos);
            break;
        default:
            break;
    }
}

void CSeriesView::ContextMenu(bool full, const QPoint& globalPos) {
    const bool selection = HasSelection();
    std::vector<TChooserItem> items;
    if (full) {
        items.push_back(MenuItem(59401, kMenuExpandAll));
        items.push_back(MenuItem(59402, kMenuCollapseAll));
        items.push_back(TChooserItem::Separator());
        items.push_back(MenuItem(59470, kMenuUseAll));
        items.push_back(MenuItem(59471, kMenuRemoveAll));
        items.push_back(TChooserItem::Separator());
    }
    items.push_back(MenuItem(59607, kMenuCut, selection));
    items.push_back(MenuItem(59608, kMenuCopy, selection));
    items.push_back(MenuItem(59609, kMenuPaste, CanPaste()));
    items.push_back(TChooserItem::Separator());
    items.push_back(MenuItem(59610, kMenuDelete, selection));
    switch (m_ui->RunContextMenu(this, items, globalPos)) {
        case kMenuExpandAll:
            ExpandAll();
            break;
        case kMenuCollapseAll:
            CollapseAll();
            break;
        case kMenuUseAll:
            UseAllInSummary(true);
            break;
        case kMenuRemoveAll:
            UseAllInSummary(false);
            break;
        case kMenuCut:
            Cut();
            break;
        case kMenuCopy:
            Copy();
            break;
        case kMenuPaste:
            Paste();
            break;
        case kMenuDelete:
            Delete();
            break;
        default:
            break;
    }
}

void CSeriesView::OpenChooser(int clicked, int column, const QPoint& globalPos) {
    CHammerData& data = m_doc.WorkingData();
    const std::vector<std::uint8_t> flags = SelectedSeries(false);
    std::vector<int> selected;
    for (int i = 0; i < static_cast<int>(flags.size()); ++i)
        if (flags[static_cast<std::size_t>(i)]) selected.push_back(i);
    if (selected.empty()) return;
    const TChooserPlacement where = PlacementOf(m_grid->CellRect(MainRow(clicked), column), globalPos.x());
    CSeriesChoosers choosers(m_doc, *m_ui, this);
    const bool clickedInch = data.GetUnit(clicked) == kUnitPSI;
    auto allSingle = [&] {
        return std::all_of(selected.begin(), selected.end(),
                           [&](int i) { return data.GetAveragingMode(i) == kModeSingle; });
    };
    std::vector<int> changed;

    switch (column) {
        case Report::kColDateTime: {
            const auto offset = m_ui->RunAdjustTime(this, data.GetDateTime(clicked), m_dtFormat);
            if (offset && *offset != 0) m_doc.AdjustTime(flags, *offset);
            return;
        }
        case Report::kColMeanValue: {
            std::uint8_t unit = 0;
            if (!choosers.ChooseUnit(where, allSingle(), unit)) return;
            for (int i : selected) {
                // A Single series can only show R or Q.
                if (data.GetAveragingMode(i) != kModeSingle || unit == kUnitR || unit == kUnitQ) {
                    data.SetUnit(i, unit);
                    changed.push_back(i);
                }
            }
            Announce(changed);
            m_doc.Summary().BuildSummary(data);
            SyncGrippers();
            return;
        }
        case Report::kColAveragingMode: {
            if (allSingle()) {
                if (selected.size() < 2) return;
                TChooserItem merge = MenuItem(59473, 1);
                if (m_ui->RunChooserMenu(this, EChooserStrip::kNone, {merge}, where) == 1) CreateOneSeries();
                return;
            }
            std::uint8_t mode = 0;
            if (!choosers.ChooseAveragingMode(where, mode)) return;
            for (int i : selected) {
                if (data.GetAveragingMode(i) == kModeSingle) continue;
                data.SetAveragingMode(i, mode);  // refuses Mean JGJ below 7 readings
                changed.push_back(i);
            }
            break;
        }
        case Report::kColUpperOutliers:
        case Report::kColLowerOutliers: {
            const bool upper = column == Report::kColUpperOutliers;
            int most = data.GetReadingCount(clicked);
            for (int i : selected) most = std::max(most, data.GetReadingCount(i));
            if (most < 2) return;
            // The slider opens at what the cell shows. Some modes take the
            // count from their own rule; the stored count waits unused meanwhile.
            const int current =
                upper ? data.GetEffectiveUpperOutliers(clicked) : data.GetEffectiveLowerOutliers(clicked);
            auto userCount = [&](int i) {
                const std::uint8_t mode = data.GetAveragingMode(i);
                return mode == kModeMean || mode == kModeMedianOnly;
            };
            std::vector<int> targets = selected;
            std::u16string hint;
            if (!userCount(clicked)) {
                // The count goes only where it shows: to the selected series
                // whose mode uses it. Without any, the slider just shows the count.
                std::erase_if(targets, [&](int i) { return !userCount(i); });
                hint = Text::Format(SeriesText::Load(SeriesText::Ids::kModeFixesCount),
                                    data.GetModeName(clicked));
                if (!targets.empty()) hint += u"\n" + SeriesText::Load(SeriesText::Ids::kCountGoesToOthers);
            }
            const bool changeable = !targets.empty();
            std::uint8_t count = 0;
            const bool chosen =
                upper ? choosers.ChooseUpperOutliers(current, most - 1, count, hint, changeable)
                      : choosers.ChooseLowerOutliers(current, most - 1, count, hint, changeable);
            if (!chosen) return;
            for (int i : targets) {
                // The model keeps the old count where no reading would remain.
                if (upper)
                    data.SetUpperOutliers(i, count);
                else
                    data.SetLowerOutliers(i, count);
                changed.push_back(i);
            }
            break;
        }
        case Report::kColCurve: {
            const bool typeN =
                std::any_of(selected.begin(), selected.end(), [&](int i) { return data.IsTypeN(i); });
            const bool typeL =
                std::any_of(selected.begin(), selected.end(), [&](int i) { return !data.IsTypeN(i); });
            int curve = 0;
            if (!choosers.ChooseCurve(where, typeN, typeL, curve)) return;
            for (int i : selected) {
                data.ChangeCurve(i, curve, m_doc.CurveLibrary(), &m_doc.OriginalData());
                changed.push_back(i);
            }
            break;
        }
        case Report::kColForm: {
            std::uint8_t code = 0;
            if (!choosers.ChooseFormFactor(where, data.GetFormCode(clicked), clickedInch, code)) return;
            for (int i : selected) {
                data.SetFormCode(i, code);
                changed.push_back(i);
            }
            break;
        }
        case Report::kColCarbonation: {
            std::uint8_t code = 0;
            if (!choosers.ChooseCarbonation(where, data.GetCarbonationCode(clicked), clickedInch, code))
                return;
            for (int i : selected) {
                data.SetCarbonationCode(i, code);
                changed.push_back(i);
            }
            break;
        }
        default:
            return;
    }
    Announce(changed);
}
