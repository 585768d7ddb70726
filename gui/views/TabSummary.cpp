#include "views/TabSummary.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <cstdint>
#include <vector>

#include "doc/HammerDoc.h"
#include "model/HammerData.h"
#include "report/SummaryTexts.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

CTabSummary::CTabSummary(SViewContext context, QWidget* parent)
    : CTabPage(context, parent), m_text(new QPlainTextEdit(this)) {
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
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
    CHammerDoc& doc = m_ctx.doc;
    BuildSummary();
    const Report::CSummaryTexts texts(m_ctx.settings.DTFormat());
    QString out;
    for (int entry = 0; entry < doc.Summary().GetEntryCount(); ++entry) {
        if (entry != 0) out += QStringLiteral("\r\n\r\n");
        out += UiText::ToQ(texts.ExportText(doc.Summary(), entry));
    }
    return out;
}

QString CTabSummary::Text() const {
    return m_text->toPlainText();
}

void CTabSummary::RebuildIfShown() {
    // The summary is only built while someone looks at it: a project of many
    // series opens without paying for a summary nobody asked for yet.
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    QString text = SummaryText();
    m_text->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CTabSummary::showEvent(QShowEvent* event) {
    CTabPage::showEvent(event);
    if (m_stale) RebuildIfShown();
}

void CTabSummary::DocChanged(int) {
    RebuildIfShown();
}

void CTabSummary::Refresh() {
    m_stale = true;
    RebuildIfShown();
}

long CTabSummary::OnPageRequest(EPageRequest request, QString* text) {
    switch (request) {
        case kViewExportText:
            if (text) *text = SummaryText();
            return 1;
        case kViewPrint:
            PrintTable(UiText::Get(Ids::kTabSummary), SummaryText());
            return 1;
        default:
            // Queries get no answer here, so the editing commands stay disabled.
            return 0;
    }
}
