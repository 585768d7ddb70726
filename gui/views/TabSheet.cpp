#include "views/TabSheet.h"

#include "views/TabPage.h"

CTabSheet::CTabSheet(QWidget* parent) : QTabWidget(parent) {
    setDocumentMode(true);
}

void CTabSheet::AddPage(CTabPage* page) {
    addTab(page, page->Caption());
}

CTabPage* CTabSheet::ActivePage() const {
    return qobject_cast<CTabPage*>(currentWidget());
}

CTabPage* CTabSheet::Page(int index) const {
    return qobject_cast<CTabPage*>(widget(index));
}

void CTabSheet::UpdateCaptions() {
    for (int i = 0; i < count(); ++i)
        if (CTabPage* page = Page(i)) setTabText(i, page->Caption());
}

void CTabSheet::OnDocChanged(int) {
    UpdateCaptions();
}
