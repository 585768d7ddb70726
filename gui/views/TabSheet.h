#pragma once
// The tab container of the child view: the "Series" page, then the "Summary"
// page. Tab captions follow the loaded language at every document change.
#include <QTabWidget>

#include "doc/DocView.h"

class CTabPage;

class CTabSheet : public QTabWidget, public IDocView {
    Q_OBJECT
  public:
    explicit CTabSheet(QWidget* parent);

    void AddPage(CTabPage* page);
    CTabPage* ActivePage() const;
    CTabPage* Page(int index) const;
    void UpdateCaptions();

    void OnDocChanged(int index) override;
};
