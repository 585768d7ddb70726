#include "ui/grid/GridView.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>

#include "ui/grid/GridDelegate.h"

CGridView::CGridView(QWidget* parent) : QTableView(parent), m_model(new CGridModel(this)) {
    setModel(m_model);
    setItemDelegate(new CGridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    // Detail rows are hundreds of pixels high: scroll by pixels, not by rows.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setGridStyle(Qt::SolidLine);
    viewport()->setMouseTracking(true);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(0);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    // The row header is never shown. Left updating, every change of a row's
    // height would work out where on screen that row is, which takes longer
    // the more rows there are; thousands of detail rows change at once.
    rows->setUpdatesEnabled(false);
    QHeaderView* columns = horizontalHeader();
    columns->setSectionsClickable(true);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setMinimumSectionSize(8);
    columns->setContextMenuPolicy(Qt::CustomContextMenu);
    SetDefaultCellSize(100, 22);
    SetHeaderHeight(26);

    connect(columns, &QHeaderView::sectionClicked, this, [this](int column) {
        emit headerClicked(column);
        // The header flips its indicator by itself on a click; ours decides.
        SetSortIndicator(m_sortColumn, m_sortAscending);
    });
    connect(columns, &QHeaderView::customContextMenuRequested, this, [this](const QPoint& pos) {
        emit cellRightClicked(-1, horizontalHeader()->logicalIndexAt(pos),
                              horizontalHeader()->mapToGlobal(pos));
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CGridView::gridSelectionChanged);
    connect(m_model, &CGridModel::cellEdited, this, &CGridView::cellEdited);
}

// --- Sizes ---------------------------------------------------------------------------

void CGridView::SetDefaultCellSize(int width, int height) {
    horizontalHeader()->setDefaultSectionSize(width);
    verticalHeader()->setDefaultSectionSize(height);
}

void CGridView::SetHeaderHeight(int height) {
    horizontalHeader()->setFixedHeight(height);
}

int CGridView::HeaderHeight() const {
    return horizontalHeader()->height();
}

int CGridView::RowHeight(int row) const {
    return verticalHeader()->sectionSize(row);
}

void CGridView::SetRowHeight(int row, int height) {
    if (row < 0 || row >= m_model->RowCount()) return;
    verticalHeader()->resizeSection(row, std::max(0, height));
}

int CGridView::ColumnWidth(int column) const {
    return horizontalHeader()->sectionSize(column);
}

void CGridView::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= m_model->ColumnCount()) return;
    horizontalHeader()->resizeSection(column, std::max(0, width));
}

std::vector<int> CGridView::ColumnWidths() const {
    std::vector<int> widths;
    for (int c = 0; c < m_model->ColumnCount(); ++c) widths.push_back(ColumnWidth(c));
    return widths;
}

void CGridView::SetColumnWidths(const std::vector<int>& widths) {
    for (std::size_t c = 0; c < widths.size(); ++c) SetColumnWidth(static_cast<int>(c), widths[c]);
}

void CGridView::AutoSizeColumns(const std::vector<int>& rows) {
    const int columns = m_model->ColumnCount();
    const QFontMetrics fm(font());
    const QFontMetrics headerFm(horizontalHeader()->font());
    std::vector<int> widths(static_cast<std::size_t>(columns), 0);
    for (int c = 0; c < columns; ++c) {
        // Room for the caption and the sort arrow beside it.
        widths[static_cast<std::size_t>(c)] = headerFm.horizontalAdvance(m_model->Caption(c)) + 28;
    }
    for (int row : rows) {
        if (row < 0 || row >= m_model->RowCount() || RowHeight(row) == 0) continue;
        for (int c = 0; c < columns; ++c) {
            if (columnSpan(row, c) > 1) continue;
            CGridCell* cell = m_model->Cell(row, c);
            if (cell)
                widths[static_cast<std::size_t>(c)] =
                    std::max(widths[static_cast<std::size_t>(c)], cell->ContentWidth(fm) + 2);
        }
    }
    SetColumnWidths(widths);
}

bool CGridView::WidenColumnToFit(int row, int column) {
    if (row < 0 || row >= m_model->RowCount() || column < 0 || column >= m_model->ColumnCount()) return false;
    CGridCell* cell = m_model->Cell(row, column);
    if (!cell) return false;
    const int wanted = cell->ContentWidth(QFontMetrics(font())) + 2;
    if (wanted <= ColumnWidth(column)) return false;
    SetColumnWidth(column, wanted);
    return true;
}

QRect CGridView::CellRect(int row, int column) const {
    return visualRect(m_model->index(row, column));
}

// --- Selection -------------------------------------------------------------------------

bool CGridView::HasSelection() const {
    return selectionModel()->hasSelection();
}

std::vector<char> CGridView::SelectedRowMask() const {
    std::vector<char> mask(static_cast<std::size_t>(m_model->RowCount()), 0);
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        const int top = std::max(0, range.top());
        const int bottom = std::min(m_model->RowCount() - 1, range.bottom());
        for (int r = top; r <= bottom; ++r) mask[static_cast<std::size_t>(r)] = 1;
    }
    return mask;
}

int CGridView::SelectedRowCount() const {
    const std::vector<char> mask = SelectedRowMask();
    return static_cast<int>(std::count(mask.begin(), mask.end(), 1));
}

bool CGridView::IsRowSelected(int row) const {
    return row >= 0 && row < m_model->RowCount() && selectionModel()->isRowSelected(row, QModelIndex());
}

void CGridView::SelectRows(const std::vector<int>& rows, bool keepOthers) {
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    QItemSelection selection;
    const int last = m_model->ColumnCount() - 1;
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] <= sorted[j] + 1) ++j;
        if (sorted[i] >= 0 && sorted[j] < m_model->RowCount() && last >= 0)
            selection.select(m_model->index(sorted[i], 0), m_model->index(sorted[j], last));
        i = j + 1;
    }
    emit selectionChanging();
    selectionModel()->select(
        selection, (keepOthers ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect) |
                       QItemSelectionModel::Rows);
}

void CGridView::SelectAllCells() {
    emit selectionChanging();
    selectAll();
}

// --- Sort indicator -----------------------------------------------------------------------

void CGridView::SetSortIndicator(int column, bool ascending) {
    m_sortColumn = column;
    m_sortAscending = ascending;
    QHeaderView* header = horizontalHeader();
    header->setSortIndicatorShown(column >= 0);
    header->setSortIndicator(column >= 0 ? column : -1, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// --- Text ----------------------------------------------------------------------------------

QString CGridView::BuildText(bool selectedOnly, bool withHeader, bool includeHiddenRows) const {
    QString out;
    const int columns = m_model->ColumnCount();
    if (withHeader)
        for (int c = 0; c < columns; ++c) out += m_model->ExportCaption(c);
    std::vector<char> selected;
    if (selectedOnly) selected = SelectedRowMask();
    for (int r = 0; r < m_model->RowCount(); ++r) {
        if (selectedOnly && !selected[static_cast<std::size_t>(r)]) continue;
        if (!includeHiddenRows && RowHeight(r) == 0) continue;
        for (int c = 0; c < columns; ++c) {
            const CGridCell* cell = m_model->Cell(r, c);
            if (cell) out += cell->ExportText();
        }
    }
    return out;
}

void CGridView::CopySelectionToClipboard() const {
    QApplication::clipboard()->setText(BuildText(true, true, false));
}

// --- Pictures --------------------------------------------------------------------------------

QSize CGridView::SelectedRowsPictureSize() const {
    int width = 0;
    for (int c = 0; c < m_model->ColumnCount(); ++c) width += ColumnWidth(c);
    int height = HeaderHeight();
    const std::vector<char> selected = SelectedRowMask();
    for (int r = 0; r < m_model->RowCount(); ++r)
        if (selected[static_cast<std::size_t>(r)]) height += RowHeight(r);
    return QSize(width, height);
}

void CGridView::RenderSelectedRows(QPainter& painter) const {
    const std::vector<char> selected = SelectedRowMask();
    std::vector<int> rows;
    for (int r = 0; r < m_model->RowCount(); ++r)
        if (selected[static_cast<std::size_t>(r)]) rows.push_back(r);
    RenderRows(painter, rows, true);
}

void CGridView::DrawHeaderCell(QPainter& painter, const QRect& rect, int column) const {
    painter.fillRect(rect, QColor(240, 240, 240));
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setPen(m_textColor);
    painter.setFont(horizontalHeader()->font());
    painter.drawText(rect.adjusted(CGridCell::kTextMargin, 0, -CGridCell::kTextMargin, 0), Qt::AlignCenter,
                     m_model->Caption(column));
}

void CGridView::RenderRows(QPainter& painter, const std::vector<int>& rows, bool withHeader, int fromX,
                           int toX) const {
    const int columns = m_model->ColumnCount();
    std::vector<int> left(static_cast<std::size_t>(columns) + 1, 0);
    for (int c = 0; c < columns; ++c)
        left[static_cast<std::size_t>(c) + 1] = left[static_cast<std::size_t>(c)] + ColumnWidth(c);
    painter.save();
    int y = 0;
    if (withHeader) {
        for (int c = 0; c < columns; ++c)
            if (left[static_cast<std::size_t>(c) + 1] > fromX && left[static_cast<std::size_t>(c)] < toX)
                DrawHeaderCell(painter,
                           QRect(left[static_cast<std::size_t>(c)], 0, ColumnWidth(c), HeaderHeight()), c);
        y = HeaderHeight();
    }
    TCellDrawState state;
    state.offscreen = true;
    state.defaultText = m_textColor;
    state.font = font();
    for (int r : rows) {
        const int h = RowHeight(r);
        if (h <= 0 || r < 0 || r >= m_model->RowCount()) continue;
        for (int c = 0; c < columns;) {
            const int span = std::max(1, columnSpan(r, c));
            const int last = std::min(columns, c + span);
            const QRect rect(left[static_cast<std::size_t>(c)], y,
                             left[static_cast<std::size_t>(last)] - left[static_cast<std::size_t>(c)], h);
            const bool reaches = rect.right() >= fromX && rect.left() < toX;
            if (CGridCell* cell = reaches ? m_model->Cell(r, c) : nullptr) {
                painter.save();
                // Within the caller's clip (a page showing some columns only).
                painter.setClipRect(rect, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
                cell->Draw(painter, rect, state);
                painter.restore();
            }
            if (reaches) {
                painter.setPen(QColor(216, 216, 216));
                painter.drawLine(rect.topRight(), rect.bottomRight());
                painter.drawLine(rect.bottomLeft(), rect.bottomRight());
            }
            c = last;
        }
        y += h;
    }
    painter.restore();
}

// --- Scrolling and redrawing ---------------------------------------------------------------------

int CGridView::VerticalScrollPosition() const {
    return verticalScrollBar()->value();
}

void CGridView::SetVerticalScrollPosition(int position) {
    // After a rebuild the scroll range is only known once the rows are laid out.
    executeDelayedItemsLayout();
    updateGeometries();
    verticalScrollBar()->setValue(position);
}

void CGridView::SetRedraw(bool on) {
    viewport()->setUpdatesEnabled(on);
    if (on) viewport()->update();
}

// --- Mouse and keyboard -----------------------------------------------------------------------------

CGridCell* CGridView::HitCell(const QPoint& pos, QModelIndex* index, QPoint* local, QRect* rect) const {
    const QModelIndex idx = indexAt(pos);
    if (index) *index = idx;
    if (!idx.isValid()) return nullptr;
    const QRect r = visualRect(idx);
    if (local) *local = pos - r.topLeft();
    if (rect) *rect = r;
    return m_model->Cell(idx.row(), idx.column());
}

bool CGridView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The page's own copy, cut, paste and delete, before any shortcut of the
        // window around it takes the keys.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut) ||
            key->matches(QKeySequence::Paste) || key->key() == Qt::Key_Delete) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void CGridView::keyPressEvent(QKeyEvent* event) {
    emit keyPressed(event->key(), event->modifiers());
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
    } else if (event->matches(QKeySequence::Cut)) {
        emit cutRequested();
    } else if (event->matches(QKeySequence::Paste)) {
        emit pasteRequested();
    } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit deleteRequested();
    } else {
        if (event->matches(QKeySequence::SelectAll)) emit selectionChanging();
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CGridView::mousePressEvent(QMouseEvent* event) {
    QModelIndex index;
    QPoint local;
    QRect rect;
    CGridCell* cell = HitCell(event->position().toPoint(), &index, &local, &rect);
    if (event->button() == Qt::RightButton) {
        // The page decides what a right click selects.
        emit cellRightClicked(index.isValid() ? index.row() : -2, index.isValid() ? index.column() : -1,
                              event->globalPosition().toPoint());
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && cell && cell->OnClick(local)) {
        // A clickable part of the cell: the selection stays as it is. The cell
        // may be gone once the notice is handled, so nothing touches it after.
        viewport()->update(rect);
        emit cellClicked(index.row(), index.column());
        event->accept();
        return;
    }
    emit selectionChanging();
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid()) emit cellClicked(index.row(), index.column());
}

void CGridView::mouseDoubleClickEvent(QMouseEvent* event) {
    QModelIndex index;
    QPoint local;
    QRect rect;
    CGridCell* cell = HitCell(event->position().toPoint(), &index, &local, &rect);
    // A quick second click on a clickable part is a second click, not an edit.
    if (event->button() == Qt::LeftButton && cell && cell->OnClick(local)) {
        viewport()->update(rect);
        emit cellClicked(index.row(), index.column());
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void CGridView::SetHover(const QModelIndex& index) {
    if (m_hover == index) return;
    if (m_hover.isValid()) {
        CGridCell* old = m_model->FilledCell(m_hover.row(), m_hover.column());
        if (old && old->OnMouseLeave()) viewport()->update(visualRect(m_hover));
    }
    m_hover = index;
}

void CGridView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton) {
        QModelIndex index;
        QPoint local;
        QRect rect;
        CGridCell* cell = HitCell(event->position().toPoint(), &index, &local, &rect);
        SetHover(index);
        if (cell) {
            if (cell->OnMouseMove(local)) viewport()->update(rect);
            viewport()->setCursor(cell->Cursor());
        } else {
            viewport()->unsetCursor();
        }
    }
    QTableView::mouseMoveEvent(event);
}

void CGridView::leaveEvent(QEvent* event) {
    SetHover(QModelIndex());
    viewport()->unsetCursor();
    QTableView::leaveEvent(event);
}

bool CGridView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QModelIndex index;
        QPoint local;
        QRect rect;
        CGridCell* cell = HitCell(help->pos(), &index, &local, &rect);
        const TGridTooltip tip = cell ? cell->TooltipAt(local) : TGridTooltip();
        if (tip.IsEmpty()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QString html;
        if (!tip.title.isEmpty())
            html += QStringLiteral("<b>") + tip.title.toHtmlEscaped() + QStringLiteral("</b>");
        if (!tip.body.isEmpty()) html += Qt::convertFromPlainText(tip.body, Qt::WhiteSpacePre);
        QToolTip::showText(help->globalPos(), html, viewport(), rect);
        return true;
    }
    return QTableView::viewportEvent(event);
}

QModelIndex CGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    QModelIndex next = QTableView::moveCursor(action, modifiers);
    int direction = 0;
    switch (action) {
        case MoveDown:
        case MovePageDown:
        case MoveEnd:
        case MoveNext:
            direction = 1;
            break;
        case MoveUp:
        case MovePageUp:
        case MoveHome:
        case MovePrevious:
            direction = -1;
            break;
        default:
            break;
    }
    if (!next.isValid() || direction == 0) return next;
    // Rows of height 0 cannot be seen, and some rows take no cursor: step over them.
    const auto skip = [this](int row) { return RowHeight(row) == 0 || (m_cursorRows && !m_cursorRows(row)); };
    int row = next.row();
    while (row >= 0 && row < m_model->RowCount() && skip(row)) row += direction;
    if (row < 0 || row >= m_model->RowCount()) {
        row = next.row();
        while (row >= 0 && row < m_model->RowCount() && skip(row)) row -= direction;
        if (row < 0 || row >= m_model->RowCount()) return currentIndex();
    }
    return m_model->index(row, next.column());
}
