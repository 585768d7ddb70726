#pragma once
// The system clipboard as the document uses it: the program's private format
// (raw bytes under a registered name) and plain text. The desktop program maps
// the format name to a MIME type; tests use CMemoryClipboard.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Doc {

inline constexpr std::string_view kClipboardFormatName = "BrelvantorClipboardFormat";

class IClipboard {
  public:
    virtual ~IClipboard() = default;
    // Empties the clipboard before a copy puts new contents on it.
    virtual void Clear() = 0;
    // Puts a text rendering beside whatever data the clipboard holds.
    virtual bool PutText(std::u16string_view text) = 0;
    // Puts bytes under a format name; false when the clipboard refused them.
    virtual bool PutData(std::string_view format, std::span<const std::uint8_t> bytes) = 0;
    // The bytes held under the format name, if any.
    virtual std::optional<std::vector<std::uint8_t>> GetData(std::string_view format) = 0;
};

}  // namespace Doc
