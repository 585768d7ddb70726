#include "views/TabSummary.h"

#include <QPrinter>
#include <QVBoxLayout>
#include <cstdint>
#include <vector>

#include "doc/HammerDoc.h"
#include "model/HammerData.h"
#include "report/SummaryTexts.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"
#include "views/summary/SummaryView.h"

CTabSummary::CTabSummary(SViewContext context, QWidget* parent)
    : CTabPage(context, parent), m_view(new CSummaryView(context.doc, context.settings.DTFormat(), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

QString CTabSummary::Caption() const {
    return UiText::Get(Ids::kTabSummary);
}

void CTabSummary::BuildSummary() {
    CHammerDoc& doc = m_ctx.doc;
    CHammerData& data = doc.WorkingData();
    std::vector<std::uint8_t> before(static_cast<std::size_t>(data.GetCount()));
    for (int i = 0; i < data.GetCount(); ++i) before[static_cast<std::size_t>(i)] = data.GetUseInSummary(i);
    doc.Summary().BuildSummary(data);
    // The summary takes out series it cannot combine with the rest; the other
    // views (the table's in-summary icons) must hear of it now, not at some
    // later rebuild.
    std::vector<int> changed;
    for (int i = 0; i < data.GetCount(); ++i)
        if (data.GetUseInSummary(i) != before[static_cast<std::size_t>(i)]) changed.push_back(i);
    constexpr std::size_t kOneByOne = 32;
    if (changed.size() > kOneByOne) {
        doc.NotifyViews(this, -1);
        return;
    }
    for (int i : changed) doc.NotifyViews(this, i);
}

QString CTabSummary::SummaryText() {
    BuildSummary();
    return UiText::ToQ(m_view->ExportText());
}

QString CTabSummary::Text() {
    return SummaryText();
}

void CTabSummary::RebuildIfShown() {
    // The summary is only built while someone looks at it: a project of many
    // series opens without paying for a summary nobody asked for yet.
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    BuildSummary();
    m_view->viewport()->update();
}

void CTabSummary::showEvent(QShowEvent* event) {
    CTabPage::showEvent(event);
    if (m_stale) RebuildIfShown();
}

void CTabSummary::DocChanged(int) {
    RebuildIfShown();
}

void CTabSummary::Refresh() {
    m_view->SetDateTimeFormat(m_ctx.settings.DTFormat());
    m_stale = true;
    RebuildIfShown();
}

long CTabSummary::OnPageRequest(EPageRequest request, QString* text) {
    switch (request) {
        case kViewExportText:
            if (text) *text = SummaryText();
            return 1;
        case kViewPrint:
            Print();
            return 1;
        case kViewCopy:
            BuildSummary();
            m_view->Copy();
            return 1;
        case kViewCopyPicture:
            BuildSummary();
            m_view->CopyPicture();
            return 1;
        default:
            // Queries get no answer here, so the editing commands stay disabled.
            return 0;
    }
}

bool CTabSummary::PrintTo(QPrinter& printer, bool) {
    // The summary has no selection: all of it goes on the sheet.
    BuildSummary();
    return m_view->Print(printer);
}

void CTabSummary::Print() {
    BuildSummary();
    m_view->PrintWithDialog(m_ctx.doc.GetPath(), m_ctx.prompt);
}
