#include "update/UpdateNames.h"

#include <string>

namespace Update {

CVersion InstallerVersion(std::string_view name, std::string_view extension) {
    if (name.size() < 6 || !name.ends_with(extension)) return CVersion();
    const std::size_t marker = name.find("_V_");
    if (marker == std::string_view::npos) return CVersion();
    const std::size_t start = marker + 3;
    const std::size_t point = name.find('.');
    // A point before the version leaves no version text.
    if (point == std::string_view::npos || point < start) return CVersion();
    std::string text(name.substr(start, point - start));
    for (char& c : text)
        if (c == '_') c = '.';
    return CVersion::Parse(std::string_view(text));
}

bool IsPackageName(std::string_view name) {
    return name.size() >= 4 && name.ends_with("lod");
}

CVersion PackageVersion(std::string_view name, int kind) {
    if (!IsPackageName(name)) return CVersion();
    const std::size_t marker = name.find("-V");
    if (marker == std::string_view::npos) return CVersion();
    std::string_view rest = name.substr(marker + 2);
    std::string version;
    std::string_view tag;
    for (;;) {
        const std::size_t sep = rest.find_first_of("._");
        if (sep == std::string_view::npos) break;  // what remains ("lod") is no tag
        const std::string_view piece = rest.substr(0, sep);
        if (piece.find_first_not_of("0123456789") != std::string_view::npos) {
            tag = piece;
            break;
        }
        version.append(piece);
        version.push_back('.');
        rest.remove_prefix(sep + 1);
    }
    bool accepted = tag.empty();
    if (kind == kPackageFirmware)
        accepted = accepted || tag == "FW" || tag == "APP";
    else if (kind == kPackageOs)
        accepted = accepted || tag == "OS";
    else
        accepted = false;
    return accepted ? CVersion::Parse(std::string_view(version)) : CVersion();
}

bool IsSafeServerName(std::string_view name) {
    if (name.empty() || name == "." || name.size() > 255) return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (unsigned char c : name)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace Update
