#pragma once
// The text export file: UTF-16 little-endian with a byte-order mark, no
// terminating zero. It is written beside the target and renamed over it only
// when every byte is on the disk, so a failed export never leaves a half file
// in place of the user's old one.
#include <filesystem>
#include <string>
#include <string_view>

namespace Report {

struct TExportFileResult {
    bool ok = false;
    int errorNumber = 0;  // errno of the failing call; 0 on success
    std::string reason;   // the system's text for errorNumber
    explicit operator bool() const { return ok; }
};

// The bytes of an export file: FF FE, then the text's code units, low byte first.
std::string EncodeExportFile(std::u16string_view text);

// Creates or replaces `target`. A symbolic link is kept and the file it points
// to replaced; a replaced file keeps its permissions, a new one gets those the
// user's umask gives. On failure the target is untouched, nothing is left
// beside it, and the result says why.
TExportFileResult WriteExportFile(const std::filesystem::path& target, std::u16string_view text);

}  // namespace Report
