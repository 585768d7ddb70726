#include "settings/SettingsKey.h"

#include "settings/SettingsStore.h"

namespace Settings {

CSettingsKey::CSettingsKey(CSettingsStore& store, std::u16string normalisedPath)
    : m_store(&store), m_path(std::move(normalisedPath)) {}

std::optional<TSettingsValue> CSettingsKey::ReadValue(std::u16string_view name) const {
    return m_store->ReadValue(m_path, name);
}

std::optional<std::u16string> CSettingsKey::ReadString(std::u16string_view name) const {
    auto v = ReadValue(name);
    if (!v || v->type != EValueType::String) return std::nullopt;
    return std::move(v->text);
}

std::optional<std::uint32_t> CSettingsKey::ReadDword(std::u16string_view name) const {
    auto v = ReadValue(name);
    if (!v || v->type != EValueType::Dword) return std::nullopt;
    return v->number;
}

bool CSettingsKey::WriteString(std::u16string_view name, std::u16string_view text) {
    return m_store->WriteValue(m_path, TSettingsValue::String(std::u16string(name), std::u16string(text)));
}

bool CSettingsKey::WriteDword(std::u16string_view name, std::uint32_t number) {
    return m_store->WriteValue(m_path, TSettingsValue::Dword(std::u16string(name), number));
}

bool CSettingsKey::DeleteValue(std::u16string_view name) {
    return m_store->DeleteValue(m_path, name);
}

std::vector<TSettingsValue> CSettingsKey::EnumValues() const {
    return m_store->EnumValues(m_path);
}

std::vector<std::u16string> CSettingsKey::EnumSubKeys() const {
    return m_store->EnumSubKeys(m_path);
}

std::optional<CSettingsKey> CSettingsKey::OpenSubKey(std::u16string_view name, bool create) const {
    if (name.empty()) return std::nullopt;
    return m_store->OpenKey(m_path + u'\\' + std::u16string(name), create);
}

bool CSettingsKey::DeleteSubKey(std::u16string_view name) {
    if (name.empty()) return false;
    auto path = CSettingsData::NormalizePath(m_path + u'\\' + std::u16string(name));
    return path && m_store->DeleteKey(*path);
}

}  // namespace Settings
