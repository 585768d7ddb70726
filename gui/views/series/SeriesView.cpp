#include "views/series/SeriesView.h"

#include <QApplication>
#include <QCollator>
#include <QEvent>
#include <QHeaderView>
#include <QLocale>
#include <QVBoxLayout>
#include <algorithm>

#include "doc/Clipboard.h"
#include "doc/HammerDoc.h"
#include "model/HammerData.h"
#include "ui/grid/GridCellBar.h"
#include "ui/grid/GridView.h"
#include "views/series/ColorScheme.h"
#include "views/series/GridCellDetailGripper.h"
#include "views/series/GridCellDetailLeft.h"
#include "views/series/SeriesText.h"

namespace {

// Columns are sized to the contents of this many series at most: beyond that
// the widths hardly change, and sizing stays quick with any number of series.
constexpr int kAutoSizeSeries = 2000;
// Progress texts while rows are built and while Expand all runs.
constexpr int kRebuildProgressEvery = 31;
// The selection status is not recounted on selection changes beyond this.
constexpr int kStatusRowLimit = 40000;

Qt::Alignment ColumnAlignment(int column) {
    switch (column) {
        case Report::kColImpactCounter:
        case Report::kColStdDev:
        case Report::kColEnergy:
            return Qt::AlignRight | Qt::AlignVCenter;
        case Report::kColMeanValue:
        case Report::kColUpperOutliers:
        case Report::kColLowerOutliers:
        case Report::kColValidTotal:
            return Qt::AlignCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

CHammerData::NameOrder CSeriesView::NameCollation() {
    // The user's own rules (an Ü beside the U, not after the Z); a system
    // without a language gets the common ones.
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English);
    auto collator = std::make_shared<QCollator>(locale);
    return [collator](std::u16string_view a, std::u16string_view b) {
        return collator->compare(QStringView(a.data(), static_cast<qsizetype>(a.size())),
                                 QStringView(b.data(), static_cast<qsizetype>(b.size())));
    };
}

CSeriesView::CSeriesView(CHammerDoc& doc, bool energyDisplay, std::uint32_t dtFormat,
                         Doc::IClipboard* clipboard, QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_energy(energyDisplay),
      m_dtFormat(dtFormat),
      m_clipboard(clipboard),
      m_table(std::make_unique<Report::CSeriesTable>(Report::TTableOptions{energyDisplay, dtFormat})),
      m_grid(new CGridView(this)) {
    setObjectName(QStringLiteral("seriesView"));
    m_grid->setObjectName(QStringLiteral("seriesGrid"));
    m_grid->GridModel()->SetSource(this);
    m_grid->SetDefaultTextColor(CColorScheme::TableText());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
    setFocusProxy(m_grid);

    m_animationTimer.setInterval(15);
    connect(&m_animationTimer, &QTimer::timeout, this, [this] {
        if (!StepAnimations()) m_animationTimer.stop();
    });

    connect(m_grid, &CGridView::headerClicked, this, &CSeriesView::SortByColumn);
    connect(m_grid, &CGridView::cellClicked, this, &CSeriesView::CellClicked);
    connect(m_grid, &CGridView::cellRightClicked, this, &CSeriesView::RightClick);
    connect(m_grid, &CGridView::gridSelectionChanged, this, &CSeriesView::OnSelectionChanged);
    connect(m_grid, &CGridView::cellEdited, this, [this](int row, int column, const QString& text) {
        if (row % 2 != 0 || column != Report::kColName || row / 2 >= SeriesCount()) return;
        const int series = row / 2;
        m_doc.SetSeriesName(series, SeriesText::FromQ(text), this);
        RefreshSeries(series);
        // A longer name is to be read whole, as the columns were sized to be.
        if (m_grid->WidenColumnToFit(MainRow(series), Report::kColName) &&
            static_cast<int>(m_savedWidths.size()) > Report::kColName)
            m_savedWidths[Report::kColName] = m_grid->ColumnWidth(Report::kColName);
    });
    // The cursor keys go from series to series: a detail row is part of the
    // series above it.
    m_grid->SetCursorRows([](int row) { return row % 2 == 0; });
    // The keys post their requests, as the menu commands do.
    connect(m_grid, &CGridView::copyRequested, this, &CSeriesView::Copy, Qt::QueuedConnection);
    connect(m_grid, &CGridView::cutRequested, this, &CSeriesView::Cut, Qt::QueuedConnection);
    connect(m_grid, &CGridView::pasteRequested, this, &CSeriesView::Paste, Qt::QueuedConnection);
    connect(m_grid, &CGridView::deleteRequested, this, &CSeriesView::Delete, Qt::QueuedConnection);

    m_grid->viewport()->installEventFilter(this);
    m_doc.WorkingData().SetNameOrder(NameCollation());
    m_doc.RegisterView(this);
    Rebuild();
}

bool CSeriesView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid->viewport() && event->type() == QEvent::Paint && m_grippersDirty) SyncGrippers(false);
    return QWidget::eventFilter(watched, event);
}

CSeriesView::~CSeriesView() {
    m_doc.UnregisterView(this);
    m_grid->GridModel()->SetSource(nullptr);
}

void CSeriesView::SetOptions(bool energyDisplay, std::uint32_t dtFormat) {
    m_energy = energyDisplay;
    m_dtFormat = dtFormat;
    Refresh();
}

void CSeriesView::Refresh() {
    m_table = std::make_unique<Report::CSeriesTable>(Report::TTableOptions{m_energy, m_dtFormat});
    Rebuild();
}

int CSeriesView::SeriesCount() const {
    return m_doc.WorkingData().GetCount();
}

// --- Building the rows -------------------------------------------------------------------------

void CSeriesView::Rebuild() {
    CHammerData& data = m_doc.WorkingData();
    const int n = data.GetCount();
    if (n == 0 || data.GetSortKey() == 0) m_savedWidths.clear();

    // Only a re-sort keeps what the detail cells measured.
    if (!m_reorderOnly) m_measured.clear();
    m_reorderOnly = false;

    // Header build.
    m_animating.clear();
    m_animationTimer.stop();
    m_stats.assign(static_cast<std::size_t>(n), std::nullopt);
    m_formatState = data.GetNewDataFormatState();
    m_rowsBuilt = n;
    const int columns = m_table->ColumnCount();
    m_grid->clearSpans();
    m_grid->GridModel()->Reset(2 * n, columns);
    for (int c = 0; c < columns; ++c)
        m_grid->GridModel()->SetCaption(c, SeriesText::ToQ(m_table->HeaderCaption(c, m_formatState)),
                                        SeriesText::ToQ(m_table->HeaderExportCaption(c)));
    m_grid->SetSortIndicator(-1, true);

    // Collapsed detail rows take no room; main rows are made when first shown.
    for (int i = 0; i < n; ++i) m_grid->SetRowHeight(DetailRow(i), 0);
    ApplySortIndicator();
    if (!m_savedWidths.empty() && static_cast<int>(m_savedWidths.size()) == columns)
        m_grid->SetColumnWidths(m_savedWidths);
    else
        SizeColumns();
    for (int i = 0; i < n; ++i) {
        if (i % kRebuildProgressEvery == 0)
            SetProgress(SeriesText::FormatText(u"%s %d", SeriesText::Load(59598), i + 1));
        if (data.GetExpanded(i)) ExpandDetail(i, true);
    }
    SetProgress(QString());
    UpdateSelectionText(true);
    emit commandStateChanged();
}

void CSeriesView::SizeColumns() {
    const int n = SeriesCount();
    std::vector<int> rows;
    const int sample = std::min(n, kAutoSizeSeries);
    rows.reserve(static_cast<std::size_t>(sample));
    for (int i = 0; i < sample; ++i) rows.push_back(MainRow(i));
    m_grid->AutoSizeColumns(rows);
    // The spare width of the page goes to the mean value column.
    int right = 0;
    for (int c = 0; c < m_table->ColumnCount(); ++c) right += m_grid->ColumnWidth(c);
    const int spare = m_grid->viewport()->width() - right - 8;
    if (spare > 0 && n > 0)
        m_grid->SetColumnWidth(Report::kColMeanValue, m_grid->ColumnWidth(Report::kColMeanValue) + spare);
}

void CSeriesView::ApplySortIndicator() {
    const std::uint8_t key = m_doc.WorkingData().GetSortKey();
    if (key == 0) {
        m_grid->SetSortIndicator(-1, true);
        return;
    }
    // Codes 2c+1 / 2c+2 per column, the energy column's 25 / 26 included.
    const int column = (key - 1) / 2;
    if (column >= m_table->ColumnCount()) {
        m_grid->SetSortIndicator(-1, true);
        return;
    }
    static constexpr int kColumnOfKeyPair[] = {0, 2, 1, 3, 4, 5, 6, 8, 7, 9, 10, 11, 12};
    m_grid->SetSortIndicator(kColumnOfKeyPair[column], key % 2 == 1);
}

void CSeriesView::FillRow(int row, CGridRow& cells) {
    const int series = row / 2;
    if (series >= SeriesCount() || series >= m_rowsBuilt) return;
    if (row % 2 == 0) {
        FillMainRow(series, cells);
        return;
    }
    const int columns = m_table->ColumnCount();
    cells.push_back(std::make_unique<CGridCellDetailLeft>());
    auto detail = std::make_unique<CGridCellSeries>();
    detail->SetBackground(CColorScheme::RowLight());
    detail->SetReadOnly(true);
    detail->Bind(this, series);
    cells.push_back(std::move(detail));
    // The rest of the row lies under the detail cell's span: plain, empty
    // and read-only, so they export nothing.
    for (int c = 2; c < columns; ++c) {
        auto cell = std::make_unique<CGridCell>();
        cell->SetBackground(CColorScheme::RowLight());
        cell->SetReadOnly(true);
        cells.push_back(std::move(cell));
    }
}

void CSeriesView::FillMainRow(int series, CGridRow& cells) {
    CHammerData& data = m_doc.WorkingData();
    const TStatistics& stats = Statistics(series);
    const int columns = m_table->ColumnCount();
    for (int c = 0; c < columns; ++c) {
        std::unique_ptr<CGridCell> cell;
        if (c == Report::kColImpactCounter) {
            auto gripper = std::make_unique<CGridCellDetailGripper>();
            gripper->SetExpanded(data.GetExpanded(series) != 0);
            gripper->SetInSummary(data.GetUseInSummary(series) != 0);
            cell = std::move(gripper);
        } else if (c == Report::kColMeanValue) {
            auto bar = std::make_unique<CGridCellBar>();
            bar->SetRange(0, 100);
            bar->SetValue(Report::CSeriesTable::MeanBarValue(stats));
            if (stats.Invalid)
                bar->SetBarColors(CColorScheme::OutlierBar(), CColorScheme::InvalidBarSelected());
            else
                bar->SetBarColors(CColorScheme::NormalBar(), CColorScheme::ValidBarSelected());
            cell = std::move(bar);
        } else {
            cell = std::make_unique<CGridCell>();
        }
        if (c != Report::kColImpactCounter) cell->SetBackground(CColorScheme::RowLight());
        cell->SetReadOnly(c != Report::kColName);
        cell->SetAlignment(ColumnAlignment(c));
        cell->SetText(SeriesText::ToQ(m_table->CellText(data, series, stats, c)));
        cell->SetExportText(SeriesText::ToQ(m_table->CellExportText(data, series, stats, c)));
        if (c == Report::kColMeanValue || c == Report::kColAveragingMode) {
            const Report::TTooltip tip = m_table->CellTooltip(data, series, stats, c);
            if (!tip.IsEmpty()) cell->SetTooltip(SeriesText::ToQ(tip.title), SeriesText::ToQ(tip.body));
        }
        cells.push_back(std::move(cell));
    }
}

void CSeriesView::RefreshSeries(int series) {
    if (series < 0 || series >= SeriesCount() || SeriesCount() != m_rowsBuilt) {
        Rebuild();
        return;
    }
    RefreshRows(series);
    ApplySortIndicator();
    SetProgress(QString());
    // The selection and the number of series are what they were: the text
    // stands (recounting it per series would make a change of thousands of
    // series slow).
    EmitStatus();
}

void CSeriesView::RefreshRows(int series) {
    m_stats[static_cast<std::size_t>(series)].reset();
    m_measured.erase(&m_doc.WorkingData().Series(series));
    m_grid->GridModel()->RefillRow(MainRow(series));
    CHammerData& data = m_doc.WorkingData();
    CGridCellSeries* detail = DetailCell(series);
    const bool wanted = data.GetExpanded(series) != 0;
    if (wanted && !detail->IsExpanded() && !detail->IsExpanding()) {
        ExpandDetail(series, true);
    } else if (!wanted && (detail->IsExpanded() || detail->IsExpanding())) {
        CollapseDetail(series, true);
    } else if (detail->IsExpanded() && !detail->IsAnimating()) {
        // New content may need another height: take it at once.
        detail->Expand(true, DetailWidth());
    }
    m_grid->GridModel()->RowChanged(DetailRow(series));
}

void CSeriesView::OnDocChanged(int index) {
    m_reorderOnly = false;
    m_grippersDirty = true;
    if (index < 0 || index >= SeriesCount() || SeriesCount() != m_rowsBuilt)
        Rebuild();
    else
        RefreshSeries(index);
    emit commandStateChanged();
}

int CSeriesView::DetailWidth() const {
    int width = 0;
    for (int c = 1; c < m_table->ColumnCount(); ++c) width += m_grid->ColumnWidth(c);
    return width;
}

void CSeriesView::ExpandDetail(int series, bool immediate) {
    const int row = DetailRow(series);
    if (m_grid->columnSpan(row, 1) < m_table->ColumnCount() - 1)
        m_grid->setSpan(row, 1, 1, m_table->ColumnCount() - 1);
    if (CGridCellDetailGripper* gripper = Gripper(series)) gripper->SetExpanded(true);
    const int width = DetailWidth();
    const void* record = &m_doc.WorkingData().Series(series);
    const auto known = m_measured.find(record);
    CGridCellSeries* cell = DetailCell(series);
    cell->Expand(immediate, width,
                 known != m_measured.end() && known->second.width == width ? known->second.height : -1);
    m_measured[record] = {width, cell->RequiredHeight()};
}

void CSeriesView::CollapseDetail(int series, bool immediate) {
    if (CGridCellDetailGripper* gripper = Gripper(series)) gripper->SetExpanded(false);
    DetailCell(series)->Collapse(immediate);
}

CGridCellDetailGripper* CSeriesView::Gripper(int series) const {
    if (series < 0 || series >= m_rowsBuilt) return nullptr;
    return dynamic_cast<CGridCellDetailGripper*>(m_grid->GridModel()->FilledCell(MainRow(series), 0));
}

CGridCellSeries* CSeriesView::DetailCell(int series) const {
    if (series < 0 || series >= m_rowsBuilt) return nullptr;
    return dynamic_cast<CGridCellSeries*>(m_grid->GridModel()->Cell(DetailRow(series), 1));
}

void CSeriesView::SyncGrippers(bool redraw) {
    m_grippersDirty = false;
    const CHammerData& data = m_doc.WorkingData();
    for (int i = 0; i < m_rowsBuilt && i < data.GetCount(); ++i)
        if (CGridCellDetailGripper* gripper = Gripper(i)) gripper->SetInSummary(data.GetUseInSummary(i) != 0);
    if (redraw) m_grid->viewport()->update();
}

// --- Detail cell host ---------------------------------------------------------------------------

CHammerData& CSeriesView::Data() {
    return m_doc.WorkingData();
}

const TStatistics& CSeriesView::Statistics(int series) {
    auto& slot = m_stats[static_cast<std::size_t>(series)];
    if (!slot) slot = m_doc.WorkingData().CalcStatistics(series);
    return *slot;
}

QFont CSeriesView::DetailFont() const {
    return m_grid->font();
}

void CSeriesView::SetDetailHeight(int series, int height) {
    m_grid->SetRowHeight(DetailRow(series), height);
}

void CSeriesView::AnimationWanted(int series) {
    m_animating.insert(series);
    if (!m_animationTimer.isActive()) m_animationTimer.start();
}

bool CSeriesView::StepAnimations() {
    const std::set<int> running = m_animating;
    for (int series : running) {
        CGridCellSeries* cell = series < m_rowsBuilt ? DetailCell(series) : nullptr;
        if (!cell || !cell->Step()) m_animating.erase(series);
    }
    return !m_animating.empty();
}

// --- Status texts ------------------------------------------------------------------------------

void CSeriesView::SetProgress(const QString& text) {
    if (text == m_progressText) return;
    m_progressText = text;
    EmitStatus();
}

void CSeriesView::EmitStatus() {
    emit statusText(m_selectionText + m_progressText);
}

std::vector<std::uint8_t> CSeriesView::SelectedSeries(bool detailToo) const {
    const int n = SeriesCount();
    std::vector<std::uint8_t> flags(static_cast<std::size_t>(n), 0);
    if (n != m_rowsBuilt) return flags;
    const std::vector<char> rows = m_grid->SelectedRowMask();
    for (int i = 0; i < n; ++i)
        flags[static_cast<std::size_t>(i)] = rows[static_cast<std::size_t>(MainRow(i))] ||
                                             (detailToo && rows[static_cast<std::size_t>(DetailRow(i))]);
    return flags;
}

void CSeriesView::UpdateSelectionText(bool force) {
    if (!force && m_grid->GridModel()->RowCount() > kStatusRowLimit) return;
    const std::vector<std::uint8_t> flags = SelectedSeries(true);
    const int selected = static_cast<int>(std::count(flags.begin(), flags.end(), 1));
    m_selectionText = SeriesText::FormatText(u"%s %d      %s %d        ", SeriesText::Load(59595), selected,
                                             SeriesText::Load(59596), SeriesCount());
    EmitStatus();
}

void CSeriesView::OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (m_syncingSelection) return;
    m_syncingSelection = true;
    // A series' main and detail rows go together, and the main row decides.
    // Inside a range every partner lies in the range itself: only the ends of
    // a range can lack theirs.
    const int rows = m_grid->GridModel()->RowCount();
    QItemSelectionModel* model = m_grid->selectionModel();
    std::vector<int> select;
    int focusRow = -1;
    for (const QItemSelectionRange& r : selected) {
        if (r.top() % 2 == 1) {
            select.push_back(r.top() - 1);  // a detail row brings its main row
            focusRow = r.top() - 1;
        }
        if (r.bottom() % 2 == 0 && r.bottom() + 1 < rows) select.push_back(r.bottom() + 1);
    }
    std::erase_if(select, [&](int row) { return m_grid->IsRowSelected(row); });
    if (!select.empty()) m_grid->SelectRows(select, true);
    std::vector<int> reselect;
    for (const QItemSelectionRange& r : deselected) {
        // A detail row whose main row stays selected stays selected too; a
        // main row that went takes its detail row along.
        if (r.top() % 2 == 1 && m_grid->IsRowSelected(r.top() - 1)) reselect.push_back(r.top());
        if (r.bottom() % 2 == 0 && r.bottom() + 1 < rows && !m_grid->IsRowSelected(r.bottom()) &&
            m_grid->IsRowSelected(r.bottom() + 1))
            model->select(m_grid->GridModel()->index(r.bottom() + 1, 0),
                          QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    if (!reselect.empty()) m_grid->SelectRows(reselect, true);
    // The focus stays on main rows.
    if (focusRow >= 0)
        model->setCurrentIndex(
            m_grid->GridModel()->index(focusRow, std::max(0, model->currentIndex().column())),
            QItemSelectionModel::NoUpdate);
    m_syncingSelection = false;
    UpdateSelectionText(false);
    emit commandStateChanged();
}

// --- Page requests -------------------------------------------------------------------------------

bool CSeriesView::HasSelection() const {
    return SeriesCount() > 0 && m_grid->HasSelection();
}

bool CSeriesView::CanPaste() const {
    if (!m_clipboard) return false;
    const auto payload = m_clipboard->GetData(Doc::kClipboardFormatName);
    return payload && !payload->empty();
}

bool CSeriesView::CanSelectAll() const {
    return SeriesCount() > 0;
}

long CSeriesView::PageRequest(int request, QString* text, int parameter) {
    switch (request) {
        case kCanCopy:
        case kCanCopyPicture:
        case kCanCut:
        case kCanDelete:
            return HasSelection() ? 1 : 0;
        case kCanPaste:
            return CanPaste() ? 1 : 0;
        case kCanSelectAll:
            return CanSelectAll() ? 1 : 0;
        case kCopy:
            Copy();
            return 1;
        case kCut:
            Cut();
            return 1;
        case kPaste:
            Paste();
            return 1;
        case kDelete:
            Delete();
            return 1;
        case kSelectAll:
            SelectAll();
            return 1;
        case kCopyPicture:
            CopyPicture();
            return 1;
        case kPrint:
            PrintWithDialog();
            return 1;
        case kCreateOneSeries:
            return CreateOneSeries() ? 1 : 0;
        case kExportText:
            if (text) *text = ExportText();
            return 1;
        case kDocChanged:
            OnDocChanged(parameter);
            return 1;
        case kRefill:
            Refill(parameter);
            return 1;
        default:
            return 0;
    }
}

QString CSeriesView::ExportText() const {
    return SeriesText::ToQ(m_table->ExportText(m_doc.WorkingData()));
}

void CSeriesView::Refill(int scrollPosition) {
    Rebuild();
    m_grid->SetVerticalScrollPosition(scrollPosition);
}

void CSeriesView::SelectAll() {
    if (!CanSelectAll()) return;
    m_grid->SelectAllCells();
    UpdateSelectionText(true);
}
