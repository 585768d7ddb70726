#pragma once
// A clipboard that lives in memory: for the command-line program and tests.
#include <map>

#include "doc/Clipboard.h"

namespace Doc {

class CMemoryClipboard : public IClipboard {
  public:
    void Clear() override;
    bool PutText(std::u16string_view text) override;
    bool PutData(std::string_view format, std::span<const std::uint8_t> bytes) override;
    std::optional<std::vector<std::uint8_t>> GetData(std::string_view format) override;

    const std::optional<std::u16string>& Text() const { return m_text; }
    bool HasData(std::string_view format) const;
    // A clipboard that refuses data (another program holds it open, say).
    void SetRefuseData(bool refuse) { m_refuseData = refuse; }

  private:
    std::optional<std::u16string> m_text;
    std::map<std::string, std::vector<std::uint8_t>, std::less<>> m_data;
    bool m_refuseData = false;
};

}  // namespace Doc
