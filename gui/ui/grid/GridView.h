#pragma once
// The general cell grid: a QTableView over CGridModel whose cells draw
// themselves. One fixed header row (the view's header) and no fixed columns;
// per-row heights (0 hides a row) and per-column widths; spanning cells;
// whole-row selection with Ctrl and Shift; in-place editing; notices of clicks,
// right clicks, key presses, edits and selection changes; the sort indicator;
// text built from the cells' export texts; pictures of the selected rows; and
// the vertical scroll position.
#include <QItemSelection>
#include <QTableView>
#include <functional>
#include <limits>
#include <vector>

#include "ui/grid/GridModel.h"
#include "ui/grid/GridTextCache.h"

class CGridView : public QTableView {
    Q_OBJECT
  public:
    explicit CGridView(QWidget* parent = nullptr);

    CGridModel* GridModel() const { return m_model; }
    CGridCell* Cell(int row, int column) const { return m_model->Cell(row, column); }

    // --- Sizes ----------------------------------------------------------------
    void SetDefaultCellSize(int width, int height);
    void SetHeaderHeight(int height);
    int HeaderHeight() const;
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    std::vector<int> ColumnWidths() const;
    void SetColumnWidths(const std::vector<int>& widths);
    // Every column as wide as the widest of its caption and of the cells of
    // `rows` (rows of height 0 and cells covered by a span do not count).
    void AutoSizeColumns(const std::vector<int>& rows);
    // The rectangle of a cell (of its whole span) in viewport coordinates.
    QRect CellRect(int row, int column) const;

    // --- Colours --------------------------------------------------------------
    void SetDefaultTextColor(const QColor& color) { m_textColor = color; }
    QColor DefaultTextColor() const { return m_textColor; }
    QColor SelectionBackground() const { return m_selectionBackground; }
    CGridTextCache& TextCache() const { return m_texts; }

    // --- Selection ------------------------------------------------------------
    bool HasSelection() const;
    // One flag per row: the grid selects whole rows.
    std::vector<char> SelectedRowMask() const;
    int SelectedRowCount() const;
    int SelectedCellCount() const { return SelectedRowCount() * m_model->ColumnCount(); }
    bool IsRowSelected(int row) const;
    void SelectRows(const std::vector<int>& rows, bool keepOthers);
    void SelectAllCells();

    // --- Sort indicator (column -1: none) ---------------------------------------
    void SetSortIndicator(int column, bool ascending);
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }

    // --- Text -------------------------------------------------------------------
    // The export texts of the cells, row by row, without separators: of the
    // selected rows only or of all rows, after the header's export captions
    // when asked, with rows of height 0 only when asked.
    QString BuildText(bool selectedOnly, bool withHeader, bool includeHiddenRows) const;
    // The selected cells' text with the header row, onto the system clipboard.
    void CopySelectionToClipboard() const;

    // --- Pictures -----------------------------------------------------------------
    // The header and the selected rows as the grid draws them, at full width.
    QSize SelectedRowsPictureSize() const;
    void RenderSelectedRows(QPainter& painter) const;
    // The header and the given rows, one below the other; only the cells that
    // reach into [fromX, toX) (a page holding some of the columns).
    void RenderRows(QPainter& painter, const std::vector<int>& rows, bool withHeader, int fromX = 0,
                    int toX = std::numeric_limits<int>::max()) const;

    // --- Scrolling and redrawing ----------------------------------------------------
    int VerticalScrollPosition() const;
    void SetVerticalScrollPosition(int position);
    void SetRedraw(bool on);

    // --- Keyboard -------------------------------------------------------------------
    // Rows the cursor keys may stop on (all rows when not given); the others,
    // like rows of height 0, are stepped over.
    void SetCursorRows(std::function<bool(int row)> canHoldCursor) {
        m_cursorRows = std::move(canHoldCursor);
    }
    // Widens `column` to the content of the cell at `row` when it is narrower;
    // true when it changed.
    bool WidenColumnToFit(int row, int column);

  signals:
    void cellClicked(int row, int column);
    // row -1: the header; row -2: outside the cells.
    void cellRightClicked(int row, int column, const QPoint& globalPos);
    void selectionChanging();
    void gridSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    void copyRequested();
    void cutRequested();
    void pasteRequested();
    void deleteRequested();
    void headerClicked(int column);
    void cellEdited(int row, int column, const QString& text);

  protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

  private:
    // The cell under a viewport point and the point relative to its rectangle.
    CGridCell* HitCell(const QPoint& pos, QModelIndex* index, QPoint* local, QRect* rect) const;
    void SetHover(const QModelIndex& index);
    void DrawHeaderCell(QPainter& painter, const QRect& rect, int column) const;

    CGridModel* m_model;
    QColor m_textColor = QColor(34, 36, 76);
    QColor m_selectionBackground = QColor(201, 225, 244);
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    QPersistentModelIndex m_hover;
    mutable CGridTextCache m_texts;
    std::function<bool(int)> m_cursorRows;
};
