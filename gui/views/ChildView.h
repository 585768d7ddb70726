#pragma once
// The client area of the main window: the tab container with its two pages. It
// carries out the project, export, print, editing and help commands, asking the
// active page where the page decides, and keeps the window title up to date.
#include <QWidget>
#include <optional>

#include "doc/DocView.h"
#include "views/ViewContext.h"

class CTabSheet;
class CTabPage;
class CTabGrid;
class CTabSummary;

class CChildView : public QWidget, public IDocView {
    Q_OBJECT
  public:
    CChildView(SViewContext context, QWidget* parent);
    ~CChildView() override;

    // The commands this view carries out; false for the others, which go to
    // the main window.
    bool OnCommand(int id);
    // Whether a command of this view is enabled now; nothing for the others.
    std::optional<bool> IsCommandEnabled(int id) const;

    // "TOLVEX BRELVANTOR", and " - " with the project's path when it has one.
    QString Title() const;
    void UpdateTitle();
    // Texts reloaded (language, date and time formats): captions and pages.
    void RefreshAll();

    CTabSheet* Sheet() const { return m_sheet; }
    CTabGrid* SeriesPage() const { return m_series; }
    CTabSummary* SummaryPage() const { return m_summary; }

    void OnDocChanged(int index) override;

  signals:
    void commandStateChanged();
    void titleChanged(const QString& title);
    void statusText(const QString& text);

  private:
    long AskPage(int request) const;
    void Export();
    void OpenHelp(unsigned fileNameId);

    SViewContext m_ctx;
    CTabSheet* m_sheet;
    CTabGrid* m_series;
    CTabSummary* m_summary;
};
