#pragma once
// The "Summary" page: the drawn summary of the series taking part. It
// rebuilds the summary at every change of the document and redraws; print,
// export, copy and the picture act on the summary. The editing commands get
// no answer here, so they stay disabled on this page.
#include "views/TabPage.h"

class CSummaryView;

class CTabSummary : public CTabPage {
    Q_OBJECT
  public:
    CTabSummary(SViewContext context, QWidget* parent);

    long OnPageRequest(EPageRequest request, QString* text) override;
    QString Caption() const override;
    void Refresh() override;

    // The summary's export text.
    QString Text();
    CSummaryView* View() const { return m_view; }
    // The drawn summary on one sheet; false when the printer refused it.
    bool PrintTo(QPrinter& printer, bool selectionOnly) override;

  protected:
    void DocChanged(int index) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Builds the summary and tells the other views which series it took out.
    void BuildSummary();
    QString SummaryText();
    void RebuildIfShown();
    void Print();

    CSummaryView* m_view;
    bool m_stale = true;
};
