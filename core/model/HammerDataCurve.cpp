// CHammerData::ChangeCurve: giving a series another conversion curve, with the
// custom curve store kept to the curves that series still use.
#include "model/ConvCust.h"
#include "model/CurveStore.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"

namespace {

constexpr int kFirstLibraryChoice = 256;

// Curves a type L hammer does not have.
bool RefusedOnTypeL(int curveId) {
    return curveId == 0 || curveId == 3 || curveId == 15;
}

bool UsedByAnyOther(const CHammerData& data, int except, int curveId, const CHammerData* alsoUsing) {
    for (int i = 0; i < data.GetCount(); ++i)
        if (i != except && data.Series(i).CurveId == curveId) return true;
    if (alsoUsing)
        for (int i = 0; i < alsoUsing->GetCount(); ++i)
            if (alsoUsing->Series(i).CurveId == curveId) return true;
    return false;
}

}  // namespace

bool CHammerData::ChangeCurve(int index, int choice, const std::vector<TConvCust>& library,
                              const CHammerData* alsoUsing) {
    CheckIndex(index, "CHammerData::ChangeCurve");
    const TVantrelObject& series = *m_series[static_cast<std::size_t>(index)];
    const bool typeN = ::IsTypeN(series);
    if (choice < 0) return false;
    if (!typeN && RefusedOnTypeL(choice)) return false;

    CCurveStore& store = CCurveStore::Instance();
    const bool fromLibrary = choice >= kFirstLibraryChoice;
    std::optional<TConvCust> custom;
    if (fromLibrary) {
        const auto entry = static_cast<std::size_t>(choice - kFirstLibraryChoice);
        if (entry >= library.size()) return false;
        custom = library[entry];
    } else if (IsCustomCurveId(choice)) {
        custom = store.GetCurve(choice);
        if (!custom) return false;  // nothing to convert with
    }
    if (custom && !(typeN ? custom->UsableOnTypeN() : custom->UsableOnTypeL())) return false;

    const int current = series.CurveId;
    if (IsCustomCurveId(current) && current != choice && !UsedByAnyOther(*this, index, current, alsoUsing))
        store.RemoveCurve(current);

    int newId = choice;
    if (fromLibrary) {
        // Removing the old curve above freed an identifier, so this fails only
        // when the store was full and nothing was removed: then nothing changed.
        const auto added = store.AddCurve(*custom, 0);
        if (added.id < 0) return false;
        newId = added.id;
    }
    SetCurveId(index, static_cast<std::uint8_t>(newId));
    store.PurgeUnusedCurves({this, alsoUsing});
    return true;
}
