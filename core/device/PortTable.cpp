#include "device/PortTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <system_error>

#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "text/Encoding.h"
#include "text/StringTable.h"
#include "streamio/IpStream.h"

namespace Device {

namespace {

constexpr unsigned kIdSkippedEntries = 62851;

std::mutex g_Lock;
std::optional<CPortTable> g_Current;
Settings::CSettingsStore* g_Store = nullptr;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Digits only, 1 to kMaxPort; 0 otherwise.
unsigned ParseNumber(std::string_view text) {
    if (text.empty() || text.size() > 4) return 0;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= CPortTable::kMaxPort ? value : 0;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::set<std::string> g_Warned;  // table texts already reported

// The entry itself may hold anything; control characters are shown as "?" so
// that the warning cannot steer the terminal.
std::string Printable(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return out;
}

}  // namespace

CPortTable CPortTable::ParseAndWarn(const std::string& text, const std::string& source) {
    std::vector<std::string> skipped;
    CPortTable table = Parse(text, nullptr, &skipped);
    if (skipped.empty()) return table;
    {
        std::lock_guard lock(g_Lock);
        if (!g_Warned.insert(source + '\n' + text).second) return table;
    }
    std::string list;
    for (const std::string& item : skipped) {
        if (!list.empty()) list += ", ";
        list += '"' + Printable(item) + '"';
    }
    const std::string message = Text::ToUtf8(Text::FormatString(kIdSkippedEntries, source, list));
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
    return table;
}

void CPortTable::Add(unsigned number, std::string path) {
    const auto at = std::lower_bound(m_Entries.begin(), m_Entries.end(), number,
                                     [](const SEntry& e, unsigned n) { return e.Number < n; });
    m_Entries.insert(at, SEntry{number, std::move(path)});
}

CPortTable CPortTable::Parse(std::string_view text, bool* valid, std::vector<std::string>* skipped) {
    CPortTable table;
    bool clean = true;
    auto skip = [&](std::string_view item) {
        clean = false;
        if (skipped != nullptr) skipped->emplace_back(item);
    };
    while (!text.empty()) {
        const std::size_t end = text.find(';');
        const std::string_view item = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (item.empty()) continue;
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            skip(item);
            continue;
        }
        const unsigned number = ParseNumber(Trim(item.substr(0, eq)));
        const std::string_view path = Trim(item.substr(eq + 1));
        if (number == 0 || path.empty() || HasControlCharacter(path) || table.PathOf(number)) {
            skip(item);
            continue;
        }
        table.Add(number, std::string(path));
    }
    if (valid != nullptr) *valid = clean;
    return table;
}

CPortTable CPortTable::Scan(const std::filesystem::path& devDir) {
    static constexpr std::string_view kGroups[] = {"ttyACM", "ttyUSB", "ttyS"};
    std::vector<std::pair<unsigned, std::string>> found[3];
    std::error_code ec;
    for (std::filesystem::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        for (std::size_t g = 0; g < 3; ++g) {
            if (name.size() <= kGroups[g].size() || name.compare(0, kGroups[g].size(), kGroups[g]) != 0)
                continue;
            const std::string_view digits = std::string_view(name).substr(kGroups[g].size());
            if (digits.size() > 4 ||
                !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                continue;
            }
            found[g].emplace_back(static_cast<unsigned>(std::stoul(std::string(digits))),
                                  it->path().string());
        }
    }
    CPortTable table;
    unsigned number = 1;
    for (auto& group : found) {
        std::sort(group.begin(), group.end());
        for (auto& [index, path] : group) {
            if (number > kMaxPort) break;
            table.m_Entries.push_back(SEntry{number++, std::move(path)});
        }
    }
    return table;
}

CPortTable CPortTable::Load(Settings::CSettingsStore* store) {
    if (const char* env = std::getenv(kEnvironmentVariable); env != nullptr && *env != '\0') {
        return ParseAndWarn(env, kEnvironmentVariable);
    }
    if (store != nullptr) {
        const std::optional<Settings::TSettingsValue> value =
            store->ReadValue(Text::LoadString(Settings::kIdSettingsKey), kSettingsValue);
        if (value && value->type == Settings::EValueType::String && !value->text.empty()) {
            return ParseAndWarn(Text::ToUtf8(value->text), Text::ToUtf8(kSettingsValue));
        }
    }
    return Scan();
}

CPortTable CPortTable::Current() {
    Settings::CSettingsStore* store = nullptr;
    {
        std::lock_guard lock(g_Lock);
        if (g_Current && !g_Current->IsEmpty()) return *g_Current;
        store = g_Store;
    }
    return Load(store);
}

void CPortTable::SetCurrent(std::optional<CPortTable> table) {
    std::lock_guard lock(g_Lock);
    g_Current = std::move(table);
}

void CPortTable::UseStore(Settings::CSettingsStore* store) {
    std::lock_guard lock(g_Lock);
    g_Store = store;
}

std::optional<std::string> CPortTable::PathOf(unsigned number) const {
    for (const SEntry& e : m_Entries) {
        if (e.Number == number) return e.Path;
    }
    return std::nullopt;
}

std::optional<unsigned> CPortTable::NumberOf(std::string_view path) const {
    for (const SEntry& e : m_Entries) {
        if (e.Path == path) return e.Number;
    }
    return std::nullopt;
}

bool CPortTable::Exists(unsigned number) const {
    const std::optional<std::string> path = PathOf(number);
    if (!path) return false;
    // A hammer behind a network bridge is only known to be there by asking it.
    if (StreamIO::IsIpName(*path)) return true;
    std::error_code ec;
    return std::filesystem::exists(*path, ec);
}

std::vector<unsigned> CPortTable::ExistingPorts() const {
    std::vector<unsigned> ports;
    for (const SEntry& e : m_Entries) {
        if (Exists(e.Number)) ports.push_back(e.Number);
    }
    return ports;
}

std::string CPortTable::ToString() const {
    std::string out;
    for (const SEntry& e : m_Entries) {
        if (!out.empty()) out += ';';
        out += std::to_string(e.Number) + "=" + e.Path;
    }
    return out;
}

std::string CPortTable::DisplayName(unsigned number) const {
    std::string name = "COM" + std::to_string(number);
    if (const std::optional<std::string> path = PathOf(number)) name += " (" + *path + ")";
    return name;
}

}  // namespace Device
