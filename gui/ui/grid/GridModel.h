#pragma once
// The grid's cells behind a QTableView: rows of cells made on demand by a row
// source, one header row of captions with their export captions, and the
// end-of-edit notice. A row is filled the first time something asks for one
// of its cells, so a grid of many thousand rows costs only what is shown.
//
// Model rows are the grid's data rows; the header row is the view's header.
#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <vector>

#include "ui/grid/GridCell.h"

using CGridRow = std::vector<std::unique_ptr<CGridCell>>;

// Makes the cells of a row when the grid first needs them.
class IGridRowSource {
  public:
    virtual ~IGridRowSource() = default;
    // `cells` arrives empty; fill it with one cell per column (missing ones
    // become plain empty cells).
    virtual void FillRow(int row, CGridRow& cells) = 0;
};

class CGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit CGridModel(QObject* parent = nullptr);

    void SetSource(IGridRowSource* source) { m_source = source; }

    // Drops every cell and starts over with empty rows.
    void Reset(int rows, int columns);
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    int ColumnCount() const { return m_columns; }

    // The cell, its row filled on demand; nullptr outside the grid.
    CGridCell* Cell(int row, int column);
    // The cell only when its row has been filled.
    CGridCell* FilledCell(int row, int column) const;
    bool IsRowFilled(int row) const;
    // Makes the row's cells now (no-op when filled).
    void FillRow(int row);
    // Replaces one cell (the row is filled first).
    void SetCell(int row, int column, std::unique_ptr<CGridCell> cell);
    // Forgets the row's cells; they are made again when next needed.
    void RefillRow(int row);
    // The row's cells changed: the view redraws them.
    void RowChanged(int row);

    // Header row.
    void SetCaption(int column, const QString& caption, const QString& exportCaption);
    QString Caption(int column) const;
    QString ExportCaption(int column) const;

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  signals:
    // In-place editing ended with a new text.
    void cellEdited(int row, int column, const QString& text);

  private:
    CGridRow& Row(int row);

    IGridRowSource* m_source = nullptr;
    int m_columns = 0;
    std::vector<CGridRow> m_rows;  // an empty row has not been filled yet
    std::vector<QString> m_captions;
    std::vector<QString> m_exportCaptions;
};
