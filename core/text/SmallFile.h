#pragma once
// Reads a small file of outside bytes whole, with a size limit checked before
// anything is allocated. Opening never waits: a named pipe or a device in place
// of the file is refused, not read.
#include <cstddef>
#include <filesystem>
#include <string>

namespace Text {

enum class ESmallFileStatus {
    Ok,
    Missing,     // no such file
    NotRegular,  // a folder, pipe, device or socket
    TooLarge,    // larger than the limit
    ReadError,   // could not be opened or read (errorNumber tells why)
};

struct SSmallFile {
    ESmallFileStatus status = ESmallFileStatus::ReadError;
    std::string bytes;
    int errorNumber = 0;  // errno of the failing call
};

SSmallFile ReadSmallFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace Text
