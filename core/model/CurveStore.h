#pragma once
// The process-wide store of custom conversion curves, by identifier (50 and
// up). Curves enter it from the hammer's slots, from project and clipboard data
// and from the local curve library; series refer to them by CurveId.
#include <initializer_list>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "model/ConvCust.h"

class CHammerData;

class CCurveStore {
  public:
    static CCurveStore& Instance();

    struct TAddResult {
        int id = -1;         // identifier the curve is stored under; -1: the store is full
        bool added = false;  // false when an equal curve was there already (or the store is full)
    };

    // Returns the identifier of an equal curve if there is one. Otherwise stores
    // the curve under the first free identifier from `preferredId` (50 to 250,
    // else 50) up to 250, then 251. When even 251 is taken the identifiers below
    // the preferred one are tried; a curve is never stored over another.
    TAddResult AddCurve(const TConvCust& curve, int preferredId = 0);

    // Identifier of an equal curve, searched from 50 upwards.
    std::optional<int> FindEqualCurve(const TConvCust& curve) const;

    std::optional<TConvCust> GetCurve(int id) const;
    bool HasCurve(int id) const;

    // Removes the curve unless it came from the hammer; false if nothing was removed.
    bool RemoveCurve(int id);

    // Removes every curve 50..249 that no series of the given containers uses
    // and that did not come from the hammer. The document passes its working and
    // its original data, so a restore never finds its curves gone.
    void PurgeUnusedCurves(std::initializer_list<const CHammerData*> containers);
    void PurgeUnusedCurves(const CHammerData& container) { PurgeUnusedCurves({&container}); }

    // Empties the store, hammer curves included (closing a project).
    void Clear();

    // Every curve in ascending identifier order, each with its Id filled in.
    std::vector<TConvCust> GetAll() const;
    std::size_t Count() const;

  private:
    CCurveStore() = default;

    mutable std::mutex m_lock;
    std::map<int, TConvCust> m_curves;
};
