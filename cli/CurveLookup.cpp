#include "CurveLookup.h"

#include <vector>

#include "CliApp.h"
#include "CliStrings.h"
#include "ExitCodes.h"
#include "doc/CurveFile.h"
#include "doc/HammerDoc.h"
#include "text/Encoding.h"
#include "tools/ToolStrings.h"

SCurveLookup FindLibraryCurve(CCliApp& app, CHammerDoc& doc, const std::string& name) {
    const std::u16string wanted = Text::FromUtf8(name);
    const auto& curves = doc.CurveLibrary();
    std::vector<int> byName;
    for (std::size_t i = 0; i < curves.size(); ++i)
        if (curves[i].Name() == wanted) byName.push_back(static_cast<int>(i));
    if (byName.size() == 1) return {byName.front(), kExitOk};

    // Two files can carry one name (a curve that came from a hammer or a
    // project beside one the user made): then the file tells them apart.
    for (std::size_t i = 0; i < curves.size(); ++i) {
        const auto file = doc.Library().FileOf(static_cast<int>(i)).filename();
        if (file.string() == name || file.stem().string() == name) return {static_cast<int>(i), kExitOk};
    }
    if (byName.empty()) {
        Tools::ShowToolText(app.Prompt(), kIdNoSuchCurve, Tools::FormatToolString(kIdNoSuchCurve, name),
                            Text::MsgIcon::Error);
        return {-1, kExitNotFound};
    }
    std::string files;
    for (int i : byName) files += (files.empty() ? "" : ", ") + doc.Library().FileOf(i).filename().string();
    Tools::ShowToolText(app.Prompt(), kIdCurveAmbiguous,
                        Tools::FormatToolString(kIdCurveAmbiguous, name, files), Text::MsgIcon::Error);
    return {-1, kExitUsage};
}
