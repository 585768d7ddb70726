#include "model/CurveStore.h"

#include <array>

#include "model/HammerData.h"
#include "model/ModelTypes.h"

CCurveStore& CCurveStore::Instance() {
    static CCurveStore store;
    return store;
}

CCurveStore::TAddResult CCurveStore::AddCurve(const TConvCust& curve, int preferredId) {
    std::lock_guard guard(m_lock);
    for (const auto& [id, c] : m_curves)
        if (c.IsEqualCurve(curve)) return {id, false};

    const int start = IsCustomCurveId(preferredId) ? preferredId : kFirstCustomCurveId;
    int chosen = -1;
    for (int id = start; id <= kLastAssignableCurveId && chosen < 0; ++id)
        if (!m_curves.contains(id)) chosen = id;
    if (chosen < 0 && !m_curves.contains(kOverflowCurveId)) chosen = kOverflowCurveId;
    // Storing over an existing curve would silently change the strength of every
    // series that uses it; take a free identifier below the preferred one instead.
    for (int id = kFirstCustomCurveId; id < start && chosen < 0; ++id)
        if (!m_curves.contains(id)) chosen = id;
    if (chosen < 0) return {};

    TConvCust stored = curve;
    stored.Id = static_cast<std::uint8_t>(chosen);
    m_curves.emplace(chosen, stored);
    return {chosen, true};
}

std::optional<int> CCurveStore::FindEqualCurve(const TConvCust& curve) const {
    std::lock_guard guard(m_lock);
    for (const auto& [id, c] : m_curves)
        if (c.IsEqualCurve(curve)) return id;
    return std::nullopt;
}

std::optional<TConvCust> CCurveStore::GetCurve(int id) const {
    std::lock_guard guard(m_lock);
    auto it = m_curves.find(id);
    if (it == m_curves.end()) return std::nullopt;
    return it->second;
}

bool CCurveStore::HasCurve(int id) const {
    std::lock_guard guard(m_lock);
    return m_curves.contains(id);
}

bool CCurveStore::RemoveCurve(int id) {
    std::lock_guard guard(m_lock);
    auto it = m_curves.find(id);
    if (it == m_curves.end() || it->second.OnDevice != 0) return false;
    m_curves.erase(it);
    return true;
}

void CCurveStore::PurgeUnusedCurves(std::initializer_list<const CHammerData*> containers) {
    std::array<bool, 256> used{};
    for (const CHammerData* data : containers) {
        if (!data) continue;
        for (int i = 0; i < data->GetCount(); ++i) used[data->Series(i).CurveId] = true;
    }
    std::lock_guard guard(m_lock);
    for (auto it = m_curves.begin(); it != m_curves.end();) {
        const int id = it->first;
        if (id >= kFirstCustomCurveId && id <= kLastPurgedCurveId && !used[static_cast<std::size_t>(id)] &&
            it->second.OnDevice == 0)
            it = m_curves.erase(it);
        else
            ++it;
    }
}

void CCurveStore::Clear() {
    std::lock_guard guard(m_lock);
    m_curves.clear();
}

std::vector<TConvCust> CCurveStore::GetAll() const {
    std::lock_guard guard(m_lock);
    std::vector<TConvCust> all;
    all.reserve(m_curves.size());
    for (const auto& [id, c] : m_curves) all.push_back(c);
    return all;
}

std::size_t CCurveStore::Count() const {
    std::lock_guard guard(m_lock);
    return m_curves.size();
}
