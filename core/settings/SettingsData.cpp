#include "settings/SettingsData.h"

#include <algorithm>

#include "text/Encoding.h"

namespace Settings {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::u16string Fold(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    return Fold(a) == Fold(b);
}

bool IsControl(char32_t c) {
    return c < 0x20 || c == 0x7F;
}

// UTF-8 that decodes and re-encodes to the same bytes: no malformed sequence,
// overlong form or lone surrogate slipped in.
bool IsCleanUtf8(std::string_view s) {
    return Text::ToUtf8(Text::FromUtf8(s)) == s;
}

void AppendQuoted(std::string& out, std::u16string_view text) {
    out += '"';
    for (unsigned char c : Text::ToUtf8(text)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (IsControl(c)) {
                    out += "\\x";
                    out += kHexDigits[c >> 4];
                    out += kHexDigits[c & 0xF];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

std::string ValueLine(const TSettingsValue& v) {
    std::string line;
    AppendQuoted(line, v.name);
    if (v.type == EValueType::Dword) {
        line += "=dword:";
        for (int shift = 28; shift >= 0; shift -= 4) line += kHexDigits[(v.number >> shift) & 0xF];
    } else {
        line += "=sz:";
        AppendQuoted(line, v.text);
    }
    return line;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads a quoted text at the start of `s`, removing it from `s`.
std::optional<std::u16string> TakeQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string raw;
    std::size_t i = 1;
    while (true) {
        if (i >= s.size()) return std::nullopt;  // unterminated: a cut-off line
        const char c = s[i];
        if (c == '"') break;
        if (IsControl(static_cast<unsigned char>(c))) return std::nullopt;
        if (c != '\\') {
            raw += c;
            ++i;
            continue;
        }
        if (i + 1 >= s.size()) return std::nullopt;
        const char e = s[i + 1];
        switch (e) {
            case '\\':
            case '"':
                raw += e;
                i += 2;
                break;
            case 'n':
                raw += '\n';
                i += 2;
                break;
            case 'r':
                raw += '\r';
                i += 2;
                break;
            case 't':
                raw += '\t';
                i += 2;
                break;
            case 'x': {
                if (i + 3 >= s.size()) return std::nullopt;
                const int hi = HexValue(s[i + 2]);
                const int lo = HexValue(s[i + 3]);
                // Only control characters are written this way.
                if (hi < 0 || lo < 0 || !IsControl(static_cast<char32_t>(hi * 16 + lo))) return std::nullopt;
                raw += static_cast<char>(hi * 16 + lo);
                i += 4;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    s.remove_prefix(i + 1);
    return Text::FromUtf8(raw);
}

std::optional<TSettingsValue> ParseValueLine(std::string_view s) {
    auto name = TakeQuoted(s);
    if (!name || name->size() > CSettingsData::kMaxValueNameLength) return std::nullopt;
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (s.starts_with("=dword:")) {
        s.remove_prefix(7);
        if (s.size() != 8) return std::nullopt;
        std::uint32_t n = 0;
        for (char c : s) {
            const int h = HexValue(c);
            if (h < 0) return std::nullopt;
            n = n << 4 | static_cast<std::uint32_t>(h);
        }
        return TSettingsValue::Dword(std::move(*name), n);
    }
    if (s.starts_with("=sz:")) {
        s.remove_prefix(4);
        auto text = TakeQuoted(s);
        if (!text || !s.empty()) return std::nullopt;
        return TSettingsValue::String(std::move(*name), std::move(*text));
    }
    return std::nullopt;
}

}  // namespace

TSettingsValue TSettingsValue::String(std::u16string name, std::u16string text) {
    TSettingsValue v;
    v.name = std::move(name);
    v.type = EValueType::String;
    v.text = std::move(text);
    return v;
}

TSettingsValue TSettingsValue::Dword(std::u16string name, std::uint32_t number) {
    TSettingsValue v;
    v.name = std::move(name);
    v.type = EValueType::Dword;
    v.number = number;
    return v;
}

std::optional<std::u16string> CSettingsData::NormalizePath(std::u16string_view path) {
    if (path.empty()) return std::nullopt;
    std::u16string out;
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        const std::u16string_view name = path.substr(start, end - start);
        if (name.empty() || name.size() > kMaxKeyNameLength) return std::nullopt;
        if (std::any_of(name.begin(), name.end(), [](char16_t c) { return IsControl(c); }))
            return std::nullopt;
        if (!out.empty()) out += u'\\';
        out += name;
        if (end == path.size()) return out;
        start = end + 1;
    }
}

CSettingsData CSettingsData::Parse(std::string_view bytes, bool* damaged) {
    CSettingsData data;
    bool bad = false;
    if (bytes.size() > kMaxFileSize) {
        if (damaged) *damaged = true;
        return data;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);

    std::optional<std::u16string> key;  // current key; none after a bad key line
    bool headerSeen = false;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (!headerSeen) {
            if (line != kHeader) {
                // Not our file, or garbage: nothing in it can be trusted.
                if (damaged) *damaged = true;
                return CSettingsData();
            }
            headerSeen = true;
            continue;
        }
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.size() > kMaxLineLength || !IsCleanUtf8(line)) {
            bad = true;
            continue;
        }
        if (line.front() == '[') {
            key.reset();
            if (line.size() < 3 || line.back() != ']') {
                bad = true;
                continue;
            }
            key = NormalizePath(Text::FromUtf8(line.substr(1, line.size() - 2)));
            if (!key) {
                bad = true;
                continue;
            }
            data.CreateKey(*key);
            continue;
        }
        auto value = line.front() == '"' ? ParseValueLine(line) : std::nullopt;
        if (!value || !key) {
            bad = true;
            continue;
        }
        data.SetValue(*key, *value);
    }
    if (!headerSeen && !bytes.empty()) bad = true;
    if (damaged) *damaged = bad;
    return data;
}

std::string CSettingsData::Serialize() const {
    std::string out(kHeader);
    out += '\n';
    for (const auto& [folded, key] : m_keys) {
        out += '[';
        out += Text::ToUtf8(key.path);
        out += "]\n";
        for (const auto& v : key.values) {
            out += ValueLine(v);
            out += '\n';
        }
    }
    return out;
}

CSettingsData::SKey* CSettingsData::FindKey(std::u16string_view path) {
    auto it = m_keys.find(Fold(path));
    return it != m_keys.end() ? &it->second : nullptr;
}

const CSettingsData::SKey* CSettingsData::FindKey(std::u16string_view path) const {
    auto it = m_keys.find(Fold(path));
    return it != m_keys.end() ? &it->second : nullptr;
}

bool CSettingsData::HasKey(std::u16string_view path) const {
    return FindKey(path) != nullptr;
}

void CSettingsData::CreateKey(std::u16string_view path) {
    std::size_t end = path.find(u'\\');
    while (true) {
        const std::u16string_view prefix = path.substr(0, end);
        auto folded = Fold(prefix);
        if (m_keys.find(folded) == m_keys.end())
            m_keys.emplace(std::move(folded), SKey{std::u16string(prefix), {}});
        if (end == std::u16string_view::npos) return;
        end = path.find(u'\\', end + 1);
    }
}

bool CSettingsData::DeleteKey(std::u16string_view path) {
    const auto folded = Fold(path);
    auto it = m_keys.find(folded);
    if (it == m_keys.end()) return false;
    const auto prefix = folded + u'\\';
    it = m_keys.erase(it);
    while (it != m_keys.end() && it->first.starts_with(prefix)) it = m_keys.erase(it);
    return true;
}

std::vector<std::u16string> CSettingsData::SubKeys(std::u16string_view path) const {
    std::vector<std::u16string> names;
    const auto prefix = Fold(path) + u'\\';
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first.starts_with(prefix); ++it) {
        const std::u16string_view rest = std::u16string_view(it->second.path).substr(prefix.size());
        if (rest.find(u'\\') == std::u16string_view::npos) names.emplace_back(rest);
    }
    return names;
}

const TSettingsValue* CSettingsData::FindValue(std::u16string_view path, std::u16string_view name) const {
    const SKey* key = FindKey(path);
    if (!key) return nullptr;
    for (const auto& v : key->values)
        if (EqualNoCase(v.name, name)) return &v;
    return nullptr;
}

bool CSettingsData::SetValue(std::u16string_view path, const TSettingsValue& value) {
    SKey* key = FindKey(path);
    if (!key || value.name.size() > kMaxValueNameLength || ValueLine(value).size() > kMaxLineLength)
        return false;
    for (auto& v : key->values) {
        if (EqualNoCase(v.name, value.name)) {
            // The name keeps its first spelling, as the registry does.
            const std::u16string name = v.name;
            v = value;
            v.name = name;
            return true;
        }
    }
    key->values.push_back(value);
    return true;
}

bool CSettingsData::DeleteValue(std::u16string_view path, std::u16string_view name) {
    SKey* key = FindKey(path);
    if (!key) return false;
    auto it = std::find_if(key->values.begin(), key->values.end(),
                           [&](const TSettingsValue& v) { return EqualNoCase(v.name, name); });
    if (it == key->values.end()) return false;
    key->values.erase(it);
    return true;
}

std::vector<TSettingsValue> CSettingsData::Values(std::u16string_view path) const {
    const SKey* key = FindKey(path);
    return key ? key->values : std::vector<TSettingsValue>();
}

}  // namespace Settings
