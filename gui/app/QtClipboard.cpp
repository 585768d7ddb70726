#include "app/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ui/UiText.h"

namespace {
const QString kTextMime = QStringLiteral("text/plain");
}

QString CQtClipboard::MimeTypeOf(std::string_view format) {
    return QStringLiteral("application/x-") +
           QString::fromLatin1(format.data(), static_cast<qsizetype>(format.size())).toLower();
}

void CQtClipboard::Clear() {
    m_pending.clear();
    QGuiApplication::clipboard()->clear();
}

bool CQtClipboard::PutText(std::u16string_view text) {
    m_pending[kTextMime] = UiText::ToQ(text).toUtf8();
    Publish();
    return true;
}

bool CQtClipboard::PutData(std::string_view format, std::span<const std::uint8_t> bytes) {
    m_pending[MimeTypeOf(format)] =
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    Publish();
    return true;
}

std::optional<std::vector<std::uint8_t>> CQtClipboard::GetData(std::string_view format) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString mime = MimeTypeOf(format);
    if (data == nullptr || !data->hasFormat(mime)) return std::nullopt;
    const QByteArray bytes = data->data(mime);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void CQtClipboard::Publish() {
    auto* data = new QMimeData;
    for (const auto& [mime, bytes] : m_pending) {
        if (mime == kTextMime)
            data->setText(QString::fromUtf8(bytes));
        else
            data->setData(mime, bytes);
    }
    QGuiApplication::clipboard()->setMimeData(data);  // takes ownership
}
