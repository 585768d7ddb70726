// Build-time helper for what ships beside the programs; no network, only Qt.
//
//   doc_tool icon IN.svg SIZE OUT.png
//       renders the program icon at SIZE x SIZE pixels for the icon theme.
//   doc_tool manual IN.md TITLE OUT.pdf
//       turns a Markdown manual into an A4 PDF; images are looked up relative to
//       IN.md and scaled down to the width of the page.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <cstdio>

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "doc_tool: %s\n", qPrintable(message));
    return 1;
}

int RenderIcon(const QString& svgPath, int size, const QString& pngPath) {
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid()) return Fail(QStringLiteral("cannot read %1").arg(svgPath));
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(pngPath, "PNG")) return Fail(QStringLiteral("cannot write %1").arg(pngPath));
    return 0;
}

// Images keep their size unless they are wider than the text column.
void FitImages(QTextDocument& document, const QString& folder, qreal columnWidth) {
    QList<QPair<int, int>> ranges;
    QList<QTextImageFormat> formats;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImageReader reader(QDir(folder).filePath(format.name()));
            const QSize size = reader.size();
            if (!size.isValid()) continue;
            const qreal width = std::min<qreal>(columnWidth, size.width());
            format.setWidth(width);
            format.setHeight(width * size.height() / size.width());
            ranges.append({fragment.position(), fragment.length()});
            formats.append(format);
        }
    }
    for (qsizetype i = 0; i < ranges.size(); ++i) {
        QTextCursor cursor(&document);
        cursor.setPosition(ranges[i].first);
        cursor.setPosition(ranges[i].first + ranges[i].second, QTextCursor::KeepAnchor);
        cursor.setCharFormat(formats[i]);
    }
}

int RenderManual(const QString& markdownPath, const QString& title, const QString& pdfPath) {
    QFile in(markdownPath);
    if (!in.open(QIODevice::ReadOnly)) return Fail(QStringLiteral("cannot read %1").arg(markdownPath));
    const QString markdown = QString::fromUtf8(in.readAll());
    const QString folder = QFileInfo(markdownPath).absolutePath();

    QPdfWriter writer(pdfPath);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Brelvantor"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                                     QPageLayout::Millimeter));
    writer.setResolution(300);

    QTextDocument document;
    document.setBaseUrl(QUrl::fromLocalFile(folder + QLatin1Char('/')));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setMarkdown(markdown);
    // The text is laid out in screen pixels on an A4 page and print() scales
    // that to the writer's resolution.
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    const QRectF page = writer.pageLayout().paintRect(QPageLayout::Inch);
    document.setPageSize(QSizeF(page.width() * dpi, page.height() * dpi));
    FitImages(document, folder, page.width() * dpi - 2 * document.documentMargin());
    document.print(&writer);
    if (!QFileInfo(pdfPath).exists() || QFileInfo(pdfPath).size() == 0)
        return Fail(QStringLiteral("cannot write %1").arg(pdfPath));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Runs during the build, where there is no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 4 && args[0] == QLatin1String("icon")) {
        bool ok = false;
        const int size = args[2].toInt(&ok);
        if (!ok || size <= 0 || size > 4096) return Fail(QStringLiteral("bad size %1").arg(args[2]));
        return RenderIcon(args[1], size, args[3]);
    }
    if (args.size() == 4 && args[0] == QLatin1String("manual")) return RenderManual(args[1], args[2], args[3]);
    return Fail(QStringLiteral("usage: doc_tool icon IN.svg SIZE OUT.png | doc_tool manual IN.md TITLE OUT.pdf"));
}
