#pragma once
// The "Summary" page: the summary of the working series as text (its export
// layout) until the drawn summary view replaces it. Printing and the export act
// on the summary; editing commands are not handled here.
#include "views/TabPage.h"

class QPlainTextEdit;

class CTabSummary : public CTabPage {
    Q_OBJECT
  public:
    CTabSummary(SViewContext context, QWidget* parent);

    long OnPageRequest(EPageRequest request, QString* text) override;
    QString Caption() const override;
    void Refresh() override;

    QString Text() const;

  protected:
    void DocChanged(int index) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Builds the summary and tells the other views which series it took out.
    void BuildSummary();
    QString SummaryText();
    void RebuildIfShown();

    QPlainTextEdit* m_text;
    bool m_stale = true;
};
