#pragma once
// The system clipboard for the document: the program's private format travels
// under a MIME type made from its name, text as plain text.
#include <QByteArray>
#include <QString>
#include <map>

#include "doc/Clipboard.h"

class CQtClipboard : public Doc::IClipboard {
  public:
    void Clear() override;
    bool PutText(std::u16string_view text) override;
    bool PutData(std::string_view format, std::span<const std::uint8_t> bytes) override;
    std::optional<std::vector<std::uint8_t>> GetData(std::string_view format) override;

    // "BrelvantorClipboardFormat" -> "application/x-brelvantorclipboardformat".
    static QString MimeTypeOf(std::string_view format);

  private:
    void Publish();

    // What was put since the last Clear: every put replaces the clipboard's
    // contents with all of it, so the formats of one copy stay together.
    std::map<QString, QByteArray> m_pending;
};
