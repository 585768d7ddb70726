#pragma once
// The user's local curve library: one curve file per custom curve in the
// library folder, and the records of those files in memory.
//
// The folder, in this order of precedence:
//   - $BRELVANTOR_CURVES when set and not empty;
//   - "CustomCurves" beside the program file when that folder is writable (or
//     can be created there): a portable installation;
//   - $XDG_DATA_HOME/Tolvex/Brelvantor/CustomCurves (default ~/.local/share).
#include <filesystem>
#include <vector>

#include "model/ConvCust.h"

namespace Text {
class IUserPrompt;
}

namespace Doc {

class CCurveLibrary {
  public:
    explicit CCurveLibrary(Text::IUserPrompt& prompt);

    // The program file's full path, for the portable folder. Process-wide; empty
    // (the default) means unknown.
    static void SetProgramPath(std::filesystem::path programPath);
    static std::filesystem::path GetProgramPath();

    // The library folder, created when it is missing (an empty path when no
    // folder can be named at all: no program path and no home).
    static std::filesystem::path CurveFolder();

    // Empties the list and fills it from the folder's "*.zvc" files (exactly that
    // lower-case extension; unreadable and foreign files are skipped). Returns
    // the number of curves.
    int Load();

    // Writes the curve's file (replacing a file of the same name) and reloads
    // the library. Failures are shown (59529 for the folder, 59530 for the
    // file) and reported: true only when the file was written completely.
    bool SaveCurveFile(const TConvCust& curve);

    // Deletes the file the curve at `position` was read from and reloads the
    // library; true when the file is gone (also when it was gone already). An
    // invalid position deletes nothing and returns false.
    bool DeleteCurveFile(int position);

    // Enters the curve in the custom curve store (an equal curve keeps its
    // identifier, otherwise the first free one from `preferredId` up) and, when
    // the library holds no equal curve, stores it as a curve file. A curve that
    // arrives this way (from a project, the clipboard or the hammer) never
    // replaces another curve's file: when its name is taken, the file gets a
    // free name "NAME~2.zvc" and so on. Returns the store identifier, or -1 when
    // the store is full (nothing is saved then).
    int AddCustomCurve(const TConvCust& curve, int preferredId);

    const std::vector<TConvCust>& Curves() const { return m_curves; }
    int Count() const { return static_cast<int>(m_curves.size()); }
    bool ContainsEqual(const TConvCust& curve) const;
    // The positions of the curves ordered by name (byte by byte, as the names
    // are stored; equal names keep their order in the folder), as the lists
    // of curves show them.
    std::vector<int> PositionsByName() const;
    // The file the curve at `position` was read from.
    const std::filesystem::path& FileOf(int position) const;

  private:
    bool Save(const TConvCust& curve, bool replace);

    Text::IUserPrompt& m_prompt;
    std::vector<TConvCust> m_curves;
    std::vector<std::filesystem::path> m_files;  // one per curve
};

}  // namespace Doc
