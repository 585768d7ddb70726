#include "report/ExportFile.h"

#include <cerrno>

#include "text/FileReplace.h"

namespace Report {

std::string EncodeExportFile(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes += '\xFF';
    bytes += '\xFE';
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TExportFileResult WriteExportFile(const std::filesystem::path& target, std::u16string_view text) {
    TExportFileResult result;
    result.errorNumber = Text::ReplaceFile(target, EncodeExportFile(text));
    result.ok = result.errorNumber == 0;
    if (!result.ok) result.reason = Text::DescribeErrno(result.errorNumber);
    return result;
}

}  // namespace Report
