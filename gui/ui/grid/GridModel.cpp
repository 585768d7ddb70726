#include "ui/grid/GridModel.h"

CGridModel::CGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void CGridModel::Reset(int rows, int columns) {
    beginResetModel();
    m_columns = std::max(0, columns);
    m_rows.clear();
    m_rows.resize(static_cast<std::size_t>(std::max(0, rows)));
    m_captions.assign(static_cast<std::size_t>(m_columns), QString());
    m_exportCaptions.assign(static_cast<std::size_t>(m_columns), QString());
    endResetModel();
}

bool CGridModel::IsRowFilled(int row) const {
    return row >= 0 && row < RowCount() && !m_rows[static_cast<std::size_t>(row)].empty();
}

CGridRow& CGridModel::Row(int row) {
    CGridRow& cells = m_rows[static_cast<std::size_t>(row)];
    if (cells.empty() && m_columns > 0) {
        if (m_source) m_source->FillRow(row, cells);
        cells.resize(static_cast<std::size_t>(m_columns));
        for (auto& c : cells)
            if (!c) c = std::make_unique<CGridCell>();
    }
    return cells;
}

void CGridModel::FillRow(int row) {
    if (row >= 0 && row < RowCount()) Row(row);
}

CGridCell* CGridModel::Cell(int row, int column) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= m_columns) return nullptr;
    return Row(row)[static_cast<std::size_t>(column)].get();
}

CGridCell* CGridModel::FilledCell(int row, int column) const {
    if (!IsRowFilled(row) || column < 0 || column >= m_columns) return nullptr;
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].get();
}

void CGridModel::SetCell(int row, int column, std::unique_ptr<CGridCell> cell) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= m_columns || !cell) return;
    Row(row)[static_cast<std::size_t>(column)] = std::move(cell);
    emit dataChanged(index(row, column), index(row, column));
}

void CGridModel::RefillRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    m_rows[static_cast<std::size_t>(row)].clear();
    RowChanged(row);
}

void CGridModel::RowChanged(int row) {
    if (row < 0 || row >= RowCount() || m_columns == 0) return;
    emit dataChanged(index(row, 0), index(row, m_columns - 1));
}

void CGridModel::SetCaption(int column, const QString& caption, const QString& exportCaption) {
    if (column < 0 || column >= m_columns) return;
    m_captions[static_cast<std::size_t>(column)] = caption;
    m_exportCaptions[static_cast<std::size_t>(column)] = exportCaption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString CGridModel::Caption(int column) const {
    if (column < 0 || column >= m_columns) return {};
    return m_captions[static_cast<std::size_t>(column)];
}

QString CGridModel::ExportCaption(int column) const {
    if (column < 0 || column >= m_columns) return {};
    return m_exportCaptions[static_cast<std::size_t>(column)];
}

int CGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int CGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant CGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    // Cells are made on demand even from this const accessor: the grid only
    // asks for what it is about to show.
    CGridCell* cell = const_cast<CGridModel*>(this)->Cell(index.row(), index.column());
    if (!cell) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return cell->Text();
        case Qt::TextAlignmentRole:
            return static_cast<int>(cell->Alignment());
        default:
            return {};
    }
}

bool CGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    CGridCell* cell = Cell(index.row(), index.column());
    if (!cell || cell->IsReadOnly()) return false;
    const QString text = value.toString();
    cell->SetText(text);
    emit dataChanged(index, index);
    emit cellEdited(index.row(), index.column(), text);
    return true;
}

Qt::ItemFlags CGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    CGridCell* cell = const_cast<CGridModel*>(this)->Cell(index.row(), index.column());
    if (cell && !cell->IsReadOnly()) f |= Qt::ItemIsEditable;
    return f;
}

QVariant CGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) return Caption(section);
    if (role == Qt::TextAlignmentRole) return static_cast<int>(Qt::AlignCenter);
    return {};
}
