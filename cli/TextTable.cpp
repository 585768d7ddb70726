#include "TextTable.h"

#include <algorithm>

#include "CliOutput.h"

CTextTable::CTextTable(std::vector<std::u16string> header) {
    m_right.assign(header.size(), false);
    m_rows.push_back(std::move(header));
}

void CTextTable::AddRow(std::vector<std::u16string> row) {
    if (row.size() > m_right.size()) m_right.resize(row.size(), false);
    m_rows.push_back(std::move(row));
}

void CTextTable::AlignRight(std::size_t column) {
    if (column >= m_right.size()) m_right.resize(column + 1, false);
    m_right[column] = true;
}

std::size_t CTextTable::Width(std::u16string_view text) {
    std::size_t n = 0;
    for (char16_t c : text)
        if (c < 0xDC00 || c > 0xDFFF) ++n;  // a low surrogate completes its pair
    return n;
}

std::string CTextTable::Render() const {
    const std::size_t columns = m_right.size();
    std::vector<std::size_t> widths(columns, 0);
    for (const auto& row : m_rows)
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Width(row[c]));

    std::string out;
    out.reserve(m_rows.size() * 128);
    for (const auto& row : m_rows) {
        std::string line;
        std::size_t pending = 0;  // blanks owed before the next text
        for (std::size_t c = 0; c < columns; ++c) {
            const std::u16string empty;
            const std::u16string& cell = c < row.size() ? row[c] : empty;
            const std::size_t pad = widths[c] - Width(cell);
            if (c > 0) pending += 2;
            if (m_right[c]) pending += pad;
            if (!cell.empty()) {
                line.append(pending, ' ');
                pending = 0;
                line += Cli::Utf8(cell);
            }
            if (!m_right[c]) pending += pad;
        }
        out += line;
        out += '\n';
    }
    return out;
}

std::string LabelledLines(const std::vector<std::pair<std::u16string, std::u16string>>& lines) {
    std::size_t width = 0;
    for (const auto& [label, value] : lines) width = std::max(width, CTextTable::Width(label));
    std::string text;
    for (const auto& [label, value] : lines) {
        text += Cli::Utf8(label) + ":";
        text.append(width - CTextTable::Width(label) + 2, ' ');
        text += Cli::Utf8(value) + "\n";
    }
    return text;
}
