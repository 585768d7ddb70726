#include "views/SeriesTableModel.h"

#include "doc/HammerDoc.h"
#include "ui/UiText.h"

CSeriesTableModel::CSeriesTableModel(CHammerDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc), m_table(std::make_unique<Report::CSeriesTable>()) {}

void CSeriesTableModel::Rebuild(std::uint32_t dtFormat) {
    beginResetModel();
    Report::TTableOptions options;
    options.energyDisplay = m_doc.IsEnergyDisplay();
    options.dtFormat = dtFormat;
    m_table = std::make_unique<Report::CSeriesTable>(options);
    m_rows = m_doc.WorkingData().GetCount();
    m_formatState = m_doc.WorkingData().GetNewDataFormatState();
    m_stats.assign(static_cast<std::size_t>(m_rows), std::nullopt);
    endResetModel();
}

void CSeriesTableModel::SeriesChanged(int series) {
    if (series < 0 || series >= m_rows || m_doc.WorkingData().GetCount() != m_rows) return;
    m_stats[static_cast<std::size_t>(series)].reset();
    emit dataChanged(index(series, 0), index(series, columnCount() - 1));
}

int CSeriesTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int CSeriesTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table->ColumnCount();
}

const TStatistics& CSeriesTableModel::StatisticsOf(int series) const {
    auto& slot = m_stats[static_cast<std::size_t>(series)];
    if (!slot) slot = m_doc.WorkingData().CalcStatistics(series);
    return *slot;
}

QVariant CSeriesTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || index.row() >= m_doc.WorkingData().GetCount())
        return QVariant();
    const int series = index.row();
    switch (role) {
        case Qt::DisplayRole:
            return UiText::ToQ(
                m_table->CellText(m_doc.WorkingData(), series, StatisticsOf(series), index.column()));
        case Qt::ToolTipRole: {
            const Report::TTooltip tip =
                m_table->CellTooltip(m_doc.WorkingData(), series, StatisticsOf(series), index.column());
            if (tip.IsEmpty()) return QVariant();
            return UiText::ToQ(tip.title) + QStringLiteral("\n\n") + UiText::ToQ(tip.body);
        }
        case Qt::TextAlignmentRole:
            return index.column() == Report::kColName || index.column() == Report::kColDateTime
                       ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return QVariant();
    }
}

QVariant CSeriesTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
    return UiText::ToQ(m_table->HeaderCaption(section, m_formatState));
}
