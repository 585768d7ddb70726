#include "views/ChildView.h"

#include <QApplication>
#include <QVBoxLayout>

#include "doc/HammerDoc.h"
#include "report/ExportFile.h"
#include "settings/AppSettings.h"
#include "text/UserPrompt.h"
#include "ui/CommandIds.h"
#include "ui/Shell.h"
#include "ui/UiText.h"
#include "ui/WaitCursor.h"
#include "views/TabGrid.h"
#include "views/TabSheet.h"
#include "views/TabSummary.h"

namespace {

// Which page request carries out an editing command, and which query enables it.
struct SPageCommand {
    int command;
    EPageRequest action;
    EPageRequest query;
};
constexpr SPageCommand kPageCommands[] = {
    {Cmd::kCopy, kViewCopy, kViewCanCopy},       {Cmd::kCopyPicture, kViewCopyPicture, kViewCanCopyPicture},
    {Cmd::kCut, kViewCut, kViewCanCut},          {Cmd::kPaste, kViewPaste, kViewCanPaste},
    {Cmd::kDelete, kViewDelete, kViewCanDelete}, {Cmd::kSelectAll, kViewSelectAll, kViewCanSelectAll},
};

}  // namespace

CChildView::CChildView(SViewContext context, QWidget* parent)
    : QWidget(parent), m_ctx(context), m_sheet(new CTabSheet(this)) {
    m_ctx.doc.RegisterView(this);
    m_sheet->setObjectName(QStringLiteral("measurements"));
    m_sheet->setAccessibleName(UiText::Get(Ids::kTabSheetCaption));
    m_series = new CTabGrid(context, m_sheet);
    m_summary = new CTabSummary(context, m_sheet);
    m_sheet->AddPage(m_series);
    m_sheet->AddPage(m_summary);
    m_sheet->setCurrentIndex(0);
    m_ctx.doc.RegisterView(m_sheet);
    m_ctx.doc.RegisterView(m_series);
    m_ctx.doc.RegisterView(m_summary);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_sheet);
    setFocusProxy(m_sheet);

    for (CTabPage* page : {static_cast<CTabPage*>(m_series), static_cast<CTabPage*>(m_summary)}) {
        connect(page, &CTabPage::commandStateChanged, this, &CChildView::commandStateChanged);
        connect(page, &CTabPage::statusText, this, &CChildView::statusText);
    }
    connect(m_sheet, &QTabWidget::currentChanged, this, &CChildView::commandStateChanged);
}

CChildView::~CChildView() {
    m_ctx.doc.UnregisterView(m_summary);
    m_ctx.doc.UnregisterView(m_series);
    m_ctx.doc.UnregisterView(m_sheet);
    m_ctx.doc.UnregisterView(this);
}

void CChildView::OnDocChanged(int) {
    UpdateTitle();
    emit commandStateChanged();
}

QString CChildView::Title() const {
    QString title = UiText::Get(Ids::kProgramTitle);
    const auto& path = m_ctx.doc.GetPath();
    if (!path.empty()) title += QStringLiteral(" - ") + QString::fromStdString(path.string());
    return title;
}

void CChildView::UpdateTitle() {
    emit titleChanged(Title());
}

void CChildView::RefreshAll() {
    m_sheet->UpdateCaptions();
    m_sheet->setAccessibleName(UiText::Get(Ids::kTabSheetCaption));
    m_series->Refresh();
    m_summary->Refresh();
    UpdateTitle();
    emit commandStateChanged();
}

long CChildView::AskPage(int request) const {
    CTabPage* page = m_sheet->ActivePage();
    return page ? page->OnPageRequest(static_cast<EPageRequest>(request), nullptr) : 0;
}

std::optional<bool> CChildView::IsCommandEnabled(int id) const {
    const CHammerDoc& doc = m_ctx.doc;
    using E = CHammerDoc::ECommand;
    switch (id) {
        case Cmd::kOpenProject:
        case Cmd::kHelp:
        case Cmd::kHelpUpgrade:
            return true;
        case Cmd::kSaveProject:
            return doc.IsCommandEnabled(E::SaveProject);
        case Cmd::kCloseProject:
            return doc.IsCommandEnabled(E::CloseProject);
        case Cmd::kSaveProjectAs:
            return doc.IsCommandEnabled(E::SaveProjectAs);
        case Cmd::kRestoreOriginal:
            return doc.IsCommandEnabled(E::RestoreOriginalData);
        case Cmd::kExport:
            return doc.IsCommandEnabled(E::Export);
        case Cmd::kPrint:
            return doc.IsCommandEnabled(E::Print);
        case Cmd::kCreateOneSeries:
            return doc.IsCommandEnabled(E::MergeSingleSeries);
        default:
            break;
    }
    for (const auto& c : kPageCommands)
        if (c.command == id) return AskPage(c.query) == 1;
    return std::nullopt;
}

bool CChildView::OnCommand(int id) {
    CHammerDoc& doc = m_ctx.doc;
    switch (id) {
        case Cmd::kOpenProject:
            doc.OpenProject();
            break;
        case Cmd::kCloseProject:
            doc.CloseProject();
            break;
        case Cmd::kSaveProject:
            doc.Save();
            break;
        case Cmd::kSaveProjectAs:
            doc.SaveAs();
            break;
        case Cmd::kRestoreOriginal:
            doc.AskRestoreOriginalData();
            break;
        case Cmd::kExport:
            Export();
            break;
        case Cmd::kPrint:
            AskPage(kViewPrint);
            break;
        case Cmd::kCreateOneSeries:
            AskPage(kViewCreateOneSeries);
            break;
        case Cmd::kHelp:
            OpenHelp(Ids::kManualFile);
            break;
        case Cmd::kHelpUpgrade:
            OpenHelp(Ids::kUpgradeHelpFile);
            break;
        default: {
            bool handled = false;
            for (const auto& c : kPageCommands) {
                if (c.command != id) continue;
                AskPage(c.action);
                handled = true;
            }
            if (!handled) return false;
            break;
        }
    }
    UpdateTitle();
    emit commandStateChanged();
    return true;
}

void CChildView::Export() {
    CTabPage* page = m_sheet->ActivePage();
    if (page == nullptr) return;
    QString text;
    page->OnPageRequest(kViewExportText, &text);
    Text::SFileChoice choice;
    choice.filter = UiText::Load(Ids::kTextFileFilter);
    choice.defaultExtension = u"txt";
    choice.suggested = "*.txt";
    const auto path = m_ctx.prompt.ChooseSaveFile(choice);
    if (!path || path->empty()) return;
    const Report::TExportFileResult result = Report::WriteExportFile(*path, UiText::FromQ(text));
    if (!result) {
        Text::SMessage msg;
        msg.textId = Ids::kExportFailed;
        msg.text = Text::Format(UiText::Load(Ids::kExportFailed), path->string(), result.reason);
        msg.icon = Text::MsgIcon::Error;
        m_ctx.prompt.ShowMessage(msg);
    }
}

void CChildView::OpenHelp(unsigned fileNameId) {
    const CWaitCursor wait;
    const std::u16string name = UiText::Load(fileNameId);
    if (name.empty()) return;
    // In the update folder when it holds one, otherwise where the program was installed with it.
    const std::filesystem::path file = m_ctx.settings.HelpFilePath(name);
    CShell::OpenFileOrReport(file, m_ctx.prompt);
}
