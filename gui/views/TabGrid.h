#pragma once
// The "Series" page: the series table of the document. The page answers the
// tab container's requests by handing them to the table, which keeps the
// selection, the detail areas and the choosers.
#include <cstdint>
#include <vector>

#include "views/TabPage.h"

class CGridView;
class CSeriesView;

class CTabGrid : public CTabPage {
    Q_OBJECT
  public:
    CTabGrid(SViewContext context, QWidget* parent);

    long OnPageRequest(EPageRequest request, QString* text) override;
    QString Caption() const override;
    void Refresh() override;
    bool PrintTo(QPrinter& printer, bool selectionOnly) override;

    CSeriesView* SeriesView() const { return m_view; }
    CGridView* Table() const;
    // One byte per working series, non-zero for a selected series.
    std::vector<std::uint8_t> Selection() const;

  protected:
    // The table hears the document itself; the page only follows the energy
    // column, which a project opened from the command line may switch on.
    void DocChanged(int index) override;

  private:
    CSeriesView* m_view;
};
