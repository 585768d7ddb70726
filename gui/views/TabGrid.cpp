#include "views/TabGrid.h"

#include <QVBoxLayout>

#include "doc/HammerDoc.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"
#include "ui/grid/GridView.h"
#include "views/series/SeriesView.h"

CTabGrid::CTabGrid(SViewContext context, QWidget* parent)
    : CTabPage(context, parent),
      m_view(new CSeriesView(context.doc, context.doc.IsEnergyDisplay(), context.settings.DTFormat(),
                             context.clipboard, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);
    connect(m_view, &CSeriesView::commandStateChanged, this, &CTabPage::commandStateChanged);
    connect(m_view, &CSeriesView::statusText, this, &CTabPage::statusText);
}

QString CTabGrid::Caption() const {
    return UiText::Get(Ids::kTabSeries);
}

CGridView* CTabGrid::Table() const {
    return m_view->Grid();
}

void CTabGrid::Refresh() {
    m_view->SetOptions(m_ctx.doc.IsEnergyDisplay(), m_ctx.settings.DTFormat());
    emit commandStateChanged();
}

void CTabGrid::DocChanged(int) {
    if (m_ctx.doc.IsEnergyDisplay() != m_view->EnergyDisplay())
        m_view->SetOptions(m_ctx.doc.IsEnergyDisplay(), m_ctx.settings.DTFormat());
}

bool CTabGrid::PrintTo(QPrinter& printer, bool selectionOnly) {
    return m_view->Print(printer, selectionOnly);
}

std::vector<std::uint8_t> CTabGrid::Selection() const {
    return m_view->SelectedSeries(false);
}

long CTabGrid::OnPageRequest(EPageRequest request, QString* text) {
    // The page's request numbers are the table's.
    return m_view->PageRequest(static_cast<int>(request), text);
}
