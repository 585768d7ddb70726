#pragma once
// A table printed as aligned columns of text: a header line, then one line per
// row; columns two blanks apart, no blanks at the line ends.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CTextTable {
  public:
    explicit CTextTable(std::vector<std::u16string> header);

    void AddRow(std::vector<std::u16string> row);
    // Numbers read better aligned to the right.
    void AlignRight(std::size_t column);
    std::size_t RowCount() const { return m_rows.size(); }

    // UTF-8 lines, each ending in a line feed.
    std::string Render() const;

    // Characters a text takes on the terminal (one per code point).
    static std::size_t Width(std::u16string_view text);

  private:
    std::vector<std::vector<std::u16string>> m_rows;  // the header first
    std::vector<bool> m_right;
};

// "Label:  value" lines with the values in one column, each ending in a line
// feed; every text is shown on one line (control characters as "?").
std::string LabelledLines(const std::vector<std::pair<std::u16string, std::u16string>>& lines);
