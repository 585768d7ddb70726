#include "doc/CurveLibrary.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <numeric>

#include "doc/AtomicFile.h"
#include "doc/CurveFile.h"
#include "doc/DocStrings.h"
#include "model/CurveStore.h"
#include "streamio/FileException.h"
#include "streamio/StreamErrors.h"
#include "streamio/ZVArchive.h"
#include "text/UserPrompt.h"

namespace fs = std::filesystem;

namespace Doc {

namespace {

std::mutex g_programPathLock;
fs::path g_programPath;

constexpr const char* kFolderName = "CustomCurves";

bool IsWritableFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

fs::path UserDataFolder() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = fs::path(home) / ".local" / "share";
    } else {
        return {};
    }
    return base / "Tolvex" / "Brelvantor" / kFolderName;
}

fs::path ChooseFolder() {
    if (const char* env = std::getenv("BRELVANTOR_CURVES"); env && env[0] != '\0') return fs::path(env);

    const fs::path program = CCurveLibrary::GetProgramPath();
    if (!program.empty() && program.has_parent_path()) {
        const fs::path beside = program.parent_path() / kFolderName;
        std::error_code ec;
        if (fs::exists(beside, ec) ? IsWritableFolder(beside) : IsWritableFolder(program.parent_path()))
            return beside;
    }
    return UserDataFolder();
}

// The curve's file name, or "NAME~2.zvc" and so on when that is taken; empty
// when no free name is found.
fs::path FreeFileName(const fs::path& folder, const TConvCust& curve) {
    const std::string name = CurveFileName(curve);
    const std::string stem = name.substr(0, name.size() - kCurveFileExtension.size());
    std::error_code ec;
    for (int n = 1; n < 1000; ++n) {
        const fs::path file =
            folder / (n == 1 ? name : stem + "~" + std::to_string(n) + std::string(kCurveFileExtension));
        if (!fs::exists(fs::symlink_status(file, ec))) return file;
    }
    return {};
}

}  // namespace

CCurveLibrary::CCurveLibrary(Text::IUserPrompt& prompt) : m_prompt(prompt) {}

void CCurveLibrary::SetProgramPath(fs::path programPath) {
    std::error_code ec;
    if (!programPath.empty() && programPath.is_relative()) {
        fs::path absolute = fs::absolute(programPath, ec);
        if (!ec) programPath = std::move(absolute);
    }
    std::lock_guard lock(g_programPathLock);
    g_programPath = std::move(programPath);
}

fs::path CCurveLibrary::GetProgramPath() {
    std::lock_guard lock(g_programPathLock);
    return g_programPath;
}

fs::path CCurveLibrary::CurveFolder() {
    const fs::path folder = ChooseFolder();
    if (!folder.empty()) {
        std::error_code ec;
        fs::create_directories(folder, ec);
    }
    return folder;
}

int CCurveLibrary::Load() {
    m_curves.clear();
    m_files.clear();
    const fs::path folder = CurveFolder();
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return 0;

    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string leaf = it->path().filename().string();
        if (leaf.size() < kCurveFileExtension.size() || !leaf.ends_with(kCurveFileExtension)) continue;
        // Only plain files: reading a pipe or a device that happens to carry the
        // name would wait for ever.
        std::error_code statError;
        if (!fs::is_regular_file(it->path(), statError)) continue;
        if (auto curve = ReadCurveFile(it->path())) {
            m_curves.push_back(*curve);
            m_files.push_back(it->path());
        }
    }
    return Count();
}

bool CCurveLibrary::SaveCurveFile(const TConvCust& curve) {
    return Save(curve, true);
}

bool CCurveLibrary::Save(const TConvCust& curve, bool replace) {
    const fs::path folder = CurveFolder();
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec))
        Text::ShowMessageId(m_prompt, kIdCurveFolderFailed, Text::MsgIcon::Error);

    bool saved = false;
    if (!folder.empty()) {
        try {
            const fs::path file = replace ? folder / CurveFileName(curve) : FreeFileName(folder, curve);
            if (file.empty()) throw StreamIO::CFileException(StreamIO::kErrExists, CurveFileName(curve));
            WriteFileAtomically(file, 256, [&](StreamIO::CZVArchive& ar) { WriteCurveFile(ar, curve); });
            saved = true;
        } catch (const StreamIO::CFileException&) {
        }
    }
    if (!saved) Text::ShowMessageId(m_prompt, kIdCurveFileFailed, Text::MsgIcon::Error);
    Load();
    return saved;
}

bool CCurveLibrary::DeleteCurveFile(int position) {
    if (position < 0 || position >= Count()) return false;
    // The file it came from, which older versions may have named differently
    // from what the curve's name gives today.
    const fs::path file = FileOf(position);
    std::error_code ec;
    fs::remove(file, ec);
    Load();
    return !fs::exists(fs::symlink_status(file, ec));
}

const fs::path& CCurveLibrary::FileOf(int position) const {
    return m_files.at(static_cast<std::size_t>(position));
}

bool CCurveLibrary::ContainsEqual(const TConvCust& curve) const {
    return std::any_of(m_curves.begin(), m_curves.end(),
                       [&](const TConvCust& c) { return c.IsEqualCurve(curve); });
}

std::vector<int> CCurveLibrary::PositionsByName() const {
    std::vector<int> order(m_curves.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        // Compared as unsigned bytes, so that a name with a letter above 127
        // sorts after the plain ones on every platform.
        const std::string x = m_curves[static_cast<std::size_t>(a)].Name8();
        const std::string y = m_curves[static_cast<std::size_t>(b)].Name8();
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
            return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
        });
    });
    return order;
}

int CCurveLibrary::AddCustomCurve(const TConvCust& curve, int preferredId) {
    const CCurveStore::TAddResult added = CCurveStore::Instance().AddCurve(curve, preferredId);
    if (added.id < 0) return -1;
    // Saving reloads the list, so the new entry appears exactly when its file
    // was written.
    if (!ContainsEqual(curve)) Save(curve, false);
    return added.id;
}

}  // namespace Doc
