#include "doc/MemoryClipboard.h"

namespace Doc {

void CMemoryClipboard::Clear() {
    m_text.reset();
    m_data.clear();
}

bool CMemoryClipboard::PutText(std::u16string_view text) {
    m_text = std::u16string(text);
    return true;
}

bool CMemoryClipboard::PutData(std::string_view format, std::span<const std::uint8_t> bytes) {
    if (m_refuseData) return false;
    m_data.insert_or_assign(std::string(format), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return true;
}

std::optional<std::vector<std::uint8_t>> CMemoryClipboard::GetData(std::string_view format) {
    auto it = m_data.find(format);
    if (it == m_data.end()) return std::nullopt;
    return it->second;
}

bool CMemoryClipboard::HasData(std::string_view format) const {
    return m_data.find(format) != m_data.end();
}

}  // namespace Doc
