// CHammerDoc: reading and writing project files.
#include <array>
#include <climits>
#include <numeric>

#include "doc/AtomicFile.h"
#include "doc/DocStrings.h"
#include "doc/HammerDoc.h"
#include "doc/ProjectContent.h"
#include "doc/ProjectReader.h"
#include "doc/ProjectWriter.h"
#include "model/CurveStore.h"
#include "model/ModelTypes.h"
#include "streamio/FileException.h"
#include "streamio/FileStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/ZVArchive.h"
#include "text/Encoding.h"
#include "text/StringTable.h"
#include "text/UserPrompt.h"

namespace fs = std::filesystem;

namespace {

// Archive buffer of project files. Larger than the archive's customary 1024
// bytes: a project of 20,000 series would otherwise take ten thousand system
// calls each way. The bytes in the file are the same whatever the buffer.
constexpr std::size_t kProjectBuffer = 64 * 1024;

fs::path Absolute(const fs::path& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute;
}

}  // namespace

void CHammerDoc::ShowReadError() {
    Text::ShowMessageId(m_prompt, Doc::kIdReadError, Text::MsgIcon::Error);
}

void CHammerDoc::ShowSaveError(const fs::path& path, const std::string& reason) {
    Text::SMessage msg;
    msg.textId = Doc::kIdProjectSaveFailed;
    msg.text = Text::FormatString(Doc::kIdProjectSaveFailed, path.string(), reason);
    msg.captionId = Doc::kIdErrorCaption;
    msg.caption = Text::LoadString(Doc::kIdErrorCaption);
    msg.icon = Text::MsgIcon::Error;
    msg.buttons = Text::MsgButtons::Ok;
    m_prompt.ShowMessage(msg);
}

void CHammerDoc::WriteProject(StreamIO::CZVArchive& archive) const {
    Doc::CProjectWriter(archive).WriteProject(m_original, m_working, m_summary,
                                              CCurveStore::Instance().GetAll());
}

void CHammerDoc::WriteProject(StreamIO::CZVArchive& archive, Selection selection) const {
    CheckSelection(selection, "CHammerDoc::WriteProject");
    Doc::CProjectWriter(archive).WriteClipboard(m_working, selection, m_summary,
                                                CCurveStore::Instance().GetAll());
}

bool CHammerDoc::LoadProject(StreamIO::CZVArchive& archive, ELoadMode mode) {
    Doc::TProjectContent content;
    bool complete = true;
    try {
        Doc::CProjectReader(archive).Read(content);
    } catch (const StreamIO::CFileException&) {
        complete = false;
    }
    TakeOver(content, mode);
    if (!complete) ShowReadError();
    return complete;
}

void CHammerDoc::TakeOver(Doc::TProjectContent& c, ELoadMode mode) {
    // Curves first: the series are renumbered to the identifiers their curves
    // get in the store, which differ from the stored ones whenever the store
    // already holds other curves under them.
    std::array<int, 256> renumber{};
    std::iota(renumber.begin(), renumber.end(), 0);
    if (c.CurveSectionReached && mode == ELoadMode::Open) CCurveStore::Instance().Clear();
    for (const Doc::TStoredCurve& stored : c.Curves) {
        const int preferred = stored.StoredId > INT_MAX ? 0 : static_cast<int>(stored.StoredId);
        const int id = m_library.AddCustomCurve(stored.Curve, preferred);
        if (id >= 0 && stored.StoredId < renumber.size()) renumber[stored.StoredId] = id;
    }
    auto applyRenumbering = [&](Doc::SeriesList& list) {
        for (auto& s : list)
            if (s->CurveId >= kFirstCustomCurveId)
                s->CurveId = static_cast<std::uint8_t>(renumber[s->CurveId]);
    };
    applyRenumbering(c.Original);
    applyRenumbering(c.Working);

    if (mode == ELoadMode::Open) {
        for (auto& s : c.Original) m_original.AppendSeries(std::move(*s));
        if (c.OriginalSortKey) m_original.SetSortKey(*c.OriginalSortKey);
        if (c.WorkingIsCopyOfOriginal) m_working.CopyFrom(m_original);
        for (auto& s : c.Working) m_working.AppendSeries(std::move(*s));
        if (c.WorkingSortKey) m_working.SetSortKey(*c.WorkingSortKey);
    } else {
        // A paste adds working series and nothing else: original data in the
        // payload are read past, and the series of a one-body payload arrive as
        // the copy a version 1 project would make of them.
        Doc::SeriesList& pasted = c.WorkingIsCopyOfOriginal ? c.Original : c.Working;
        for (auto& s : pasted) {
            if (c.WorkingIsCopyOfOriginal) {
                s->Version = CVersion();
                s->DiagramOrder = -1;
            }
            m_working.AppendSeries(std::move(*s));
        }
        if (c.WorkingSortKey) m_working.SetSortKey(*c.WorkingSortKey);
    }
    // Free each series as soon as it has moved, not all at the end.
    c.Original.clear();
    c.Working.clear();

    for (auto& e : c.Summary) m_summary.AppendLoadedEntry(std::move(e.Title), e.DiagramOrder, e.Averaging);
    if (c.WorkingIsCopyOfOriginal) NotifyViews(nullptr, -1);
}

bool CHammerDoc::SaveProject(const fs::path& path) {
    try {
        Doc::WriteFileAtomically(path, kProjectBuffer, [&](StreamIO::CZVArchive& ar) { WriteProject(ar); });
    } catch (const StreamIO::CFileException& e) {
        ShowSaveError(path, Doc::DescribeFailure(e));
        return false;
    } catch (const std::exception& e) {
        ShowSaveError(path, e.what());
        return false;
    }
    m_modified = false;
    return true;
}

bool CHammerDoc::Save() {
    if (m_path.empty()) return SaveAs();
    return SaveProject(m_path);
}

bool CHammerDoc::SaveAs() {
    Text::SFileChoice choice;
    choice.filter = std::u16string(kProjectFilter);
    choice.defaultExtension = std::u16string(kProjectExtension);
    choice.suggested = fs::path(Text::ToUtf8(GetDocumentTitle(true)));
    const std::optional<fs::path> chosen = m_prompt.ChooseSaveFile(choice);
    if (!chosen || chosen->empty()) return false;
    if (!SaveProject(*chosen)) return false;
    m_path = Absolute(*chosen);
    return true;
}

bool CHammerDoc::OpenProject(std::optional<fs::path> path) {
    if (!path) {
        Text::SFileChoice choice;
        choice.filter = std::u16string(kProjectFilter);
        choice.defaultExtension = std::u16string(kProjectExtension);
        choice.suggested = "*.zvh";
        path = m_prompt.ChooseOpenFile(choice);
        if (!path || path->empty()) return false;
    }
    if (!CloseProject()) return false;
    m_modified = false;

    // Only plain files: opening a pipe or a device would wait for a writer.
    std::error_code ec;
    if (!fs::is_regular_file(*path, ec)) {
        ShowReadError();
        return false;
    }

    bool loaded = false;
    bool complete = false;
    try {
        StreamIO::CFileStream stream;
        stream.Open(path->string(), StreamIO::kOpenRead | StreamIO::kShareRead);
        if (stream.GetHandle() == 0)
            throw StreamIO::CFileException(StreamIO::kErrTooManyOpen, path->string());
        StreamIO::CZVArchive archive(stream.GetHandle(), StreamIO::CZVArchive::kLoad, kProjectBuffer);
        loaded = true;
        complete = LoadProject(archive);
        archive.Close();
    } catch (const StreamIO::CFileException&) {
        // LoadProject reports its own errors; this is a file that could not be
        // opened at all (closing a file that was only read cannot lose anything).
        if (!loaded) ShowReadError();
    }

    // A file that was not read completely never becomes the document's file:
    // saving would overwrite it with the part that was read.
    if (complete) m_path = Absolute(*path);
    NotifyViews(nullptr, -1);
    return complete;
}

std::u16string CHammerDoc::GetDocumentTitle(bool nameOnly) const {
    if (m_path.empty()) return m_working.HasSeries() ? Text::LoadString(Doc::kIdUnnamed) : std::u16string();
    const std::u16string text = Text::FromUtf8(m_path.string());
    if (!nameOnly) return text;
    const std::size_t slash = text.find_last_of(u"/\\");
    std::u16string name = slash == std::u16string::npos ? text : text.substr(slash + 1);
    if (const std::size_t dot = name.rfind(u'.'); dot != std::u16string::npos) name.erase(dot);
    return name;
}
