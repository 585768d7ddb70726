#pragma once
// The series as a plain read-only table: one row per working series, the main-row
// texts of the report module. The statistics of a row are computed the first
// time the row is shown and kept until its series changes.
#include <QAbstractTableModel>
#include <memory>
#include <optional>
#include <vector>

#include "model/Statistics.h"
#include "report/SeriesTable.h"

class CHammerDoc;

class CSeriesTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit CSeriesTableModel(CHammerDoc& doc, QObject* parent = nullptr);

    // Everything changed: the series, the language or the date format.
    void Rebuild(std::uint32_t dtFormat);
    // One series changed.
    void SeriesChanged(int series);

    const Report::CSeriesTable& Table() const { return *m_table; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  private:
    const TStatistics& StatisticsOf(int series) const;

    CHammerDoc& m_doc;
    std::unique_ptr<Report::CSeriesTable> m_table;
    int m_rows = 0;
    int m_formatState = 0;
    mutable std::vector<std::optional<TStatistics>> m_stats;
};
