#include "text/StringTable.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace Text {
namespace {

struct SEntry {
    unsigned id;
    const char16_t* text;
};

constexpr SEntry kEnglish[] = {
#include "StringsEn.inc"
};

// Sorted once on first use so lookups are a binary search.
const std::vector<SEntry>& SortedTable() {
    static const std::vector<SEntry> table = [] {
        std::vector<SEntry> t(std::begin(kEnglish), std::end(kEnglish));
        std::sort(t.begin(), t.end(), [](const SEntry& a, const SEntry& b) { return a.id < b.id; });
        return t;
    }();
    return table;
}

const SEntry* Find(unsigned id) {
    const auto& t = SortedTable();
    auto it = std::lower_bound(t.begin(), t.end(), id, [](const SEntry& e, unsigned v) { return e.id < v; });
    return (it != t.end() && it->id == id) ? &*it : nullptr;
}

std::mutex g_overrideLock;
std::shared_ptr<const LanguageTexts> g_overrides;

}  // namespace

std::u16string_view BuiltInString(unsigned id) {
    const SEntry* e = Find(id);
    return e ? std::u16string_view(e->text) : std::u16string_view();
}

bool HasBuiltInString(unsigned id) { return Find(id) != nullptr; }

std::vector<unsigned> BuiltInIds() {
    std::vector<unsigned> ids;
    for (const auto& e : SortedTable()) ids.push_back(e.id);
    return ids;
}

void SetLanguageOverrides(std::shared_ptr<const LanguageTexts> texts) {
    std::lock_guard lock(g_overrideLock);
    g_overrides = std::move(texts);
}

std::shared_ptr<const LanguageTexts> GetLanguageOverrides() {
    std::lock_guard lock(g_overrideLock);
    return g_overrides;
}

std::u16string LoadString(unsigned id) {
    if (auto overrides = GetLanguageOverrides()) {
        auto it = overrides->find(id);
        if (it != overrides->end()) return it->second;
    }
    return std::u16string(BuiltInString(id));
}

}  // namespace Text
