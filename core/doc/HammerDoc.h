#pragma once
// The project document: the user's series while the program runs. It owns the
// original data (as last downloaded or loaded) and the working data (what the
// user sees and edits), the summary and the local curve library; it knows its
// file and whether there are unsaved changes, and tells the views about
// changes. Questions and messages go through the user prompt, the private
// clipboard format through the clipboard interface.
//
// A selection is one byte per working series, non-zero = selected; it must have
// an entry for every series (a shorter one is a programming error and raises
// std::invalid_argument before anything changes).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "doc/Clipboard.h"
#include "doc/CurveLibrary.h"
#include "model/DataOwner.h"
#include "model/DownloadedSeries.h"
#include "model/HammerData.h"
#include "model/SummaryData.h"

class IDocView;

namespace StreamIO {
class CZVArchive;
}

namespace Text {
class IUserPrompt;
}

namespace Doc {
struct TProjectContent;
}

class CHammerDoc : public IDataOwner {
  public:
    using Selection = std::span<const std::uint8_t>;

    enum class ECommand {
        OpenProject,
        SaveProject,
        SaveProjectAs,
        CloseProject,
        Export,
        Print,
        MergeSingleSeries,
        RestoreOriginalData,
    };

    // How loaded data enter the document. Open: the bodies go to the original
    // and working data, the file's curves replace the store's. Paste: only
    // working series are appended, the store keeps its curves, and the pasted
    // series are renumbered to the identifiers their curves get.
    enum class ELoadMode { Open, Paste };

    // File-dialog filter of project files.
    static constexpr std::u16string_view kProjectFilter =
        u"BRELVANTOR Project (*.zvh)|*.zvh|All Files (*.*)|*.*||";
    static constexpr std::u16string_view kProjectExtension = u"zvh";

    // Loads the curve library from the curve folder.
    explicit CHammerDoc(Text::IUserPrompt& prompt, Doc::IClipboard* clipboard = nullptr);
    ~CHammerDoc() override;
    CHammerDoc(const CHammerDoc&) = delete;
    CHammerDoc& operator=(const CHammerDoc&) = delete;

    // --- Members ---------------------------------------------------------------
    CHammerData& OriginalData() { return m_original; }
    const CHammerData& OriginalData() const { return m_original; }
    CHammerData& WorkingData() { return m_working; }
    const CHammerData& WorkingData() const { return m_working; }
    CSummaryData& Summary() { return m_summary; }
    const CSummaryData& Summary() const { return m_summary; }
    const std::filesystem::path& GetPath() const { return m_path; }
    bool IsEnergyDisplay() const { return m_energyDisplay; }
    void SetEnergyDisplay(bool energy) { m_energyDisplay = energy; }
    void SetClipboard(Doc::IClipboard* clipboard) { m_clipboard = clipboard; }
    static constexpr std::string_view ClipboardFormat() { return Doc::kClipboardFormatName; }
    Text::IUserPrompt& Prompt() { return m_prompt; }

    // --- Views -----------------------------------------------------------------
    void RegisterView(IDocView* view);
    // False when the view was not registered.
    bool UnregisterView(IDocView* view);
    // Tells every registered view except `except` that series `index` changed
    // (-1: everything), synchronously. A view may (un)register views meanwhile.
    void NotifyViews(IDocView* except, int index);
    int GetViewCount() const { return static_cast<int>(m_views.size()); }

    // IDataOwner: the working data and the summary report their changes here.
    void SetModifiedFlag() override { m_modified = true; }
    void NotifyViews(int index) override { NotifyViews(nullptr, index); }

    // --- Modified flag ---------------------------------------------------------
    // Sets the flag and returns its previous value.
    bool SetModified(bool modified = true);
    bool IsModified() const { return m_modified; }
    // Returns the flag and clears it.
    bool TakeModified();

    // --- Editing ---------------------------------------------------------------
    // Replaces the original and the working data by the downloaded series; the
    // project becomes modified. Returns the number of series taken over.
    int TakeOverDownload(std::span<const TDownloadedSeries> records);
    // The working data become a copy of the original data again.
    void RestoreOriginalData();
    // The command: asks first (59519) and restores only on Yes.
    bool AskRestoreOriginalData();
    // Deletes the selected series, after asking (59455) unless `ask` is false.
    // Returns whether series were deleted (the question was answered Yes, or
    // not asked). Unused custom curves are purged in every case.
    bool DeleteSelected(Selection selection, bool ask = true);
    // Merges the selected "Single" series into the first of them (59474,
    // 59510, 59511 refuse; 59475 asks). Returns whether the merge was done.
    bool MergeSelected(Selection selection);
    // Adds `deltaSeconds` to the time of every selected series (32-bit
    // unsigned arithmetic) and tells the views about each one.
    void AdjustTime(Selection selection, std::int64_t deltaSeconds);
    void SetSeriesName(int index, std::u16string name, IDocView* sender = nullptr);
    void SetSeriesComment(int index, std::u16string comment, IDocView* sender = nullptr);

    // Asks to save unsaved changes (59399) and empties the document. False when
    // the user cancels or the save does not succeed: the document stays as it is.
    bool CloseProject();

    // --- Clipboard -------------------------------------------------------------
    // Empties the clipboard, puts `text` (the table's text rendering, if any) and
    // the selected series in the private format on it. True when the clipboard
    // accepted the series.
    bool CopySelected(Selection selection, std::u16string_view text = {});
    // Copies, then deletes the selected series without asking when the copy worked.
    bool CutSelected(Selection selection, std::u16string_view text = {});
    // Appends the series of the private format on the clipboard. False when
    // there is none, or when the data were damaged (59396; the series read
    // before the damage stay).
    bool Paste();
    // Paste for a payload as the clipboard holds it: a 32-bit length, then the data.
    bool PastePayload(std::span<const std::uint8_t> payload);
    // The private-format payload of the selected series.
    std::vector<std::uint8_t> MakeClipboardPayload(Selection selection) const;

    // --- Commands --------------------------------------------------------------
    bool IsCommandEnabled(ECommand command) const;
    // Files dropped onto the main window: the first one is opened when its name
    // ends in ".zvh" (any letter case). Returns whether a project was opened.
    bool OnDropFiles(const std::vector<std::filesystem::path>& files);

    // --- Project files ---------------------------------------------------------
    // The whole project.
    void WriteProject(StreamIO::CZVArchive& archive) const;
    // Clipboard data: the selected working series only.
    void WriteProject(StreamIO::CZVArchive& archive, Selection selection) const;
    // Reads a project or clipboard layout into the document. False (after
    // showing 59396) when the data are damaged; what was read before stays.
    bool LoadProject(StreamIO::CZVArchive& archive, ELoadMode mode = ELoadMode::Open);
    // Writes the project to `path` through a temporary file that replaces it
    // only when complete. On success the document is unmodified; on failure the
    // old file is untouched, the document stays modified, and a message naming
    // the file and the reason is shown.
    bool SaveProject(const std::filesystem::path& path);
    // SaveProject on the document's path, or SaveAs without one.
    bool Save();
    // Asks for a file name and saves there; the file becomes the document's
    // path only when the save worked. False when cancelled or failed.
    bool SaveAs();
    // Closes the current project (with the save prompt) and loads the file, or
    // one the user chooses when no path is given. The file becomes the
    // document's path only when it was read completely; false otherwise.
    bool OpenProject(std::optional<std::filesystem::path> path = std::nullopt);
    // nameOnly: the file name without its extension; else the whole path.
    // Without a path: "Unnamed" when there are series, else empty.
    std::u16string GetDocumentTitle(bool nameOnly) const;

    // --- Curve library ---------------------------------------------------------
    static std::filesystem::path CurveFolder() { return Doc::CCurveLibrary::CurveFolder(); }
    const std::vector<TConvCust>& CurveLibrary() const { return m_library.Curves(); }
    Doc::CCurveLibrary& Library() { return m_library; }
    int LoadCurveLibrary() { return m_library.Load(); }
    bool SaveCurveFile(const TConvCust& curve) { return m_library.SaveCurveFile(curve); }
    bool DeleteCurveFile(int position) { return m_library.DeleteCurveFile(position); }
    int AddCustomCurve(const TConvCust& curve, int preferredId) {
        return m_library.AddCustomCurve(curve, preferredId);
    }

  private:
    void CheckSelection(Selection selection, const char* what) const;
    void PurgeUnusedCurves();
    void ShowReadError();
    void ShowSaveError(const std::filesystem::path& path, const std::string& reason);
    void TakeOver(Doc::TProjectContent& content, ELoadMode mode);

    Text::IUserPrompt& m_prompt;
    Doc::IClipboard* m_clipboard = nullptr;
    CHammerData m_original;
    CHammerData m_working;
    CSummaryData m_summary;
    Doc::CCurveLibrary m_library;
    std::vector<IDocView*> m_views;
    std::filesystem::path m_path;
    bool m_modified = false;
    bool m_energyDisplay = false;
};
