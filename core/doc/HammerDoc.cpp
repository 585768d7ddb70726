#include "doc/HammerDoc.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "doc/DocStrings.h"
#include "doc/DocView.h"
#include "model/CurveStore.h"
#include "model/ModelTypes.h"
#include "text/StringTable.h"
#include "text/UserPrompt.h"

using Text::MsgButtons;
using Text::MsgIcon;
using Text::MsgResult;

CHammerDoc::CHammerDoc(Text::IUserPrompt& prompt, Doc::IClipboard* clipboard)
    : m_prompt(prompt), m_clipboard(clipboard), m_working(this), m_summary(this), m_library(prompt) {
    m_library.Load();
}

CHammerDoc::~CHammerDoc() = default;

// --- Views -----------------------------------------------------------------------

void CHammerDoc::RegisterView(IDocView* view) {
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end()) m_views.push_back(view);
}

bool CHammerDoc::UnregisterView(IDocView* view) {
    auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end()) return false;
    m_views.erase(it);
    return true;
}

void CHammerDoc::NotifyViews(IDocView* except, int index) {
    // A view may register or unregister views while it handles the notice:
    // walk a copy and skip the ones that have gone meanwhile.
    const std::vector<IDocView*> views = m_views;
    for (IDocView* view : views) {
        if (view == except) continue;
        if (std::find(m_views.begin(), m_views.end(), view) == m_views.end()) continue;
        view->OnDocChanged(index);
    }
}

// --- Modified flag ---------------------------------------------------------------

bool CHammerDoc::SetModified(bool modified) {
    const bool previous = m_modified;
    m_modified = modified;
    return previous;
}

bool CHammerDoc::TakeModified() {
    const bool previous = m_modified;
    m_modified = false;
    return previous;
}

// --- Editing ---------------------------------------------------------------------

void CHammerDoc::CheckSelection(Selection selection, const char* what) const {
    if (selection.size() < static_cast<std::size_t>(m_working.GetCount()))
        throw std::invalid_argument(std::string(what) +
                                    ": the selection has fewer entries than there are series");
}

void CHammerDoc::PurgeUnusedCurves() {
    // The original data count too: a later restore must find its curves.
    CCurveStore::Instance().PurgeUnusedCurves({&m_working, &m_original});
}

int CHammerDoc::TakeOverDownload(std::span<const TDownloadedSeries> records) {
    const int imported = m_original.ImportDownload(records);
    m_working.ImportDownload(records);
    m_modified = true;
    NotifyViews(nullptr, -1);
    return imported;
}

void CHammerDoc::RestoreOriginalData() {
    m_working.CopyFrom(m_original);
    PurgeUnusedCurves();
    m_modified = true;
    NotifyViews(nullptr, -1);
}

bool CHammerDoc::AskRestoreOriginalData() {
    if (Text::ShowMessageId(m_prompt, Doc::kIdRestoreOriginal, MsgIcon::Question, MsgButtons::YesNoCancel) !=
        MsgResult::Yes)
        return false;
    RestoreOriginalData();
    return true;
}

bool CHammerDoc::DeleteSelected(Selection selection, bool ask) {
    CheckSelection(selection, "CHammerDoc::DeleteSelected");
    bool proceed = true;
    if (ask)
        proceed = Text::ShowMessageId(m_prompt, Doc::kIdDeleteSelected, MsgIcon::Question,
                                      MsgButtons::YesNoCancel) == MsgResult::Yes;
    if (proceed) {
        for (int i = m_working.GetCount() - 1; i >= 0; --i)
            if (selection[static_cast<std::size_t>(i)] != 0) m_working.DeleteSeries(i);
        m_summary.BuildSummary(m_working);
        NotifyViews(nullptr, -1);
    }
    PurgeUnusedCurves();
    return proceed;
}

bool CHammerDoc::MergeSelected(Selection selection) {
    CheckSelection(selection, "CHammerDoc::MergeSelected");
    std::vector<int> chosen;
    for (int i = 0; i < m_working.GetCount(); ++i)
        if (selection[static_cast<std::size_t>(i)] != 0) chosen.push_back(i);

    for (int i : chosen) {
        if (m_working.GetAveragingMode(i) != kModeSingle) {
            Text::ShowMessageId(m_prompt, Doc::kIdMergeOnlySingle, MsgIcon::Warning);
            return false;
        }
    }
    if (chosen.size() >= 100) {
        Text::ShowMessageId(m_prompt, Doc::kIdMergeTooMany, MsgIcon::Warning);
        return false;
    }
    if (chosen.size() < 2) {
        Text::ShowMessageId(m_prompt, Doc::kIdMergeTooFew, MsgIcon::Warning);
        return false;
    }

    Text::SMessage ask;
    ask.textId = Doc::kIdMergeConfirm;
    ask.text = Text::FormatString(Doc::kIdMergeConfirm, static_cast<int>(chosen.size()));
    ask.icon = MsgIcon::Question;
    ask.buttons = MsgButtons::YesNoCancel;
    if (m_prompt.ShowMessage(ask) != MsgResult::Yes) return false;

    const int target = chosen.front();
    std::vector<int> merged;
    for (std::size_t k = 1; k < chosen.size(); ++k)
        if (m_working.MergeSingleInto(chosen[k], target)) merged.push_back(chosen[k]);
    // Only the series whose reading went into the target are consumed.
    for (auto it = merged.rbegin(); it != merged.rend(); ++it) m_working.DeleteSeries(*it);
    PurgeUnusedCurves();
    NotifyViews(nullptr, -1);
    return true;
}

void CHammerDoc::AdjustTime(Selection selection, std::int64_t deltaSeconds) {
    CheckSelection(selection, "CHammerDoc::AdjustTime");
    const auto delta = static_cast<std::uint32_t>(deltaSeconds);
    for (int i = 0; i < m_working.GetCount(); ++i) {
        if (selection[static_cast<std::size_t>(i)] == 0) continue;
        m_working.SetDateTime(i, m_working.GetDateTime(i) + delta);
        NotifyViews(nullptr, i);
    }
}

void CHammerDoc::SetSeriesName(int index, std::u16string name, IDocView* sender) {
    m_working.SetName(index, std::move(name));
    if (index < m_working.GetCount()) NotifyViews(sender, index);
}

void CHammerDoc::SetSeriesComment(int index, std::u16string comment, IDocView* sender) {
    m_working.SetComment(index, std::move(comment));
    if (index < m_working.GetCount()) NotifyViews(sender, index);
}

bool CHammerDoc::CloseProject() {
    if (m_modified && m_working.HasSeries()) {
        const MsgResult answer =
            Text::ShowMessageId(m_prompt, Doc::kIdSaveChanges, MsgIcon::Question, MsgButtons::YesNoCancel);
        if (answer == MsgResult::Yes) {
            // A save that was cancelled or failed keeps the project open: closing
            // now would throw away the very changes the user wanted saved.
            if (!Save()) return false;
        } else if (answer != MsgResult::No) {
            return false;
        }
    }
    m_working.Clear();
    m_summary.Clear();
    m_original.Clear();
    CCurveStore::Instance().Clear();
    m_path.clear();
    m_modified = false;
    NotifyViews(nullptr, -1);
    return true;
}

// --- Commands --------------------------------------------------------------------

bool CHammerDoc::IsCommandEnabled(ECommand command) const {
    switch (command) {
        case ECommand::OpenProject:
            return true;
        case ECommand::SaveProject:
            return m_modified;
        case ECommand::SaveProjectAs:
        case ECommand::CloseProject:
        case ECommand::Export:
        case ECommand::Print:
        case ECommand::MergeSingleSeries:
        case ECommand::RestoreOriginalData:
            return m_working.HasSeries();
    }
    return false;
}

bool CHammerDoc::OnDropFiles(const std::vector<std::filesystem::path>& files) {
    if (files.empty()) return false;
    const std::string name = files.front().filename().string();
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    if (tail != ".zvh") return false;
    return OpenProject(files.front());
}
