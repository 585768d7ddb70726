#pragma once
// A page of the tab container. The child view sends the page requests to the
// active page; a query enables its command only when the answer is 1, and a
// request the page does not handle answers 0.
#include <QString>
#include <QWidget>

#include "doc/DocView.h"
#include "views/ViewContext.h"

class QPrinter;

enum EPageRequest : int {
    kViewPrint = 1025,
    kViewCopy = 1026,
    kViewCanCopy = 1027,
    kViewCopyPicture = 1028,
    kViewCanCopyPicture = 1029,
    kViewPaste = 1030,
    kViewCanPaste = 1031,
    kViewCut = 1032,
    kViewCanCut = 1033,
    kViewDelete = 1034,
    kViewCanDelete = 1035,
    kViewSelectAll = 1036,
    kViewCanSelectAll = 1037,
    kDocChanged = 1038,
    kViewExportText = 1039,
    kViewCreateOneSeries = 1040,
};

class CTabPage : public QWidget, public IDocView {
    Q_OBJECT
  public:
    CTabPage(SViewContext context, QWidget* parent);

    // `text` receives the export text for kViewExportText.
    virtual long OnPageRequest(EPageRequest request, QString* text) = 0;
    // Caption of the page's tab, from the string table.
    virtual QString Caption() const = 0;
    // The texts were reloaded (language or date format changed).
    virtual void Refresh() = 0;
    // Prints the page without a dialog; false when the printer did not take
    // the job. By default the export text as a table.
    virtual bool PrintTo(QPrinter& printer, bool selectionOnly);

    // IDocView
    void OnDocChanged(int index) override;

  signals:
    // The page's answers to the queries may have changed (selection, data).
    void commandStateChanged();
    // A status text for the status bar's idle pane.
    void statusText(const QString& text);

  protected:
    virtual void DocChanged(int index) = 0;
    // Prints tab-separated lines (the export text) as a table, after the print
    // dialog; a job the printer refused is reported.
    void PrintTable(const QString& title, const QString& exportText);

  public:
    // The same without the dialog; false when the printer did not take the job.
    static bool PrintTableTo(QPrinter& printer, const QString& title, const QString& exportText);

    SViewContext m_ctx;
};
