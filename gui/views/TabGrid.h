#pragma once
// The "Series" page: the working series as a read-only table with row selection.
// Copy, cut, paste, delete, select all, merging and the export go through the
// document; the table's texts come from the report module.
#include <cstdint>
#include <vector>

#include "views/TabPage.h"

class QTableView;
class CSeriesTableModel;

class CTabGrid : public CTabPage {
    Q_OBJECT
  public:
    CTabGrid(SViewContext context, QWidget* parent);

    long OnPageRequest(EPageRequest request, QString* text) override;
    QString Caption() const override;
    void Refresh() override;

    QTableView* Table() const { return m_view; }
    // One byte per working series, non-zero for a selected row.
    std::vector<std::uint8_t> Selection() const;

  protected:
    void DocChanged(int index) override;

  private:
    bool HasSelection() const;

    QTableView* m_view;
    CSeriesTableModel* m_model;
};
