#include "views/summary/SummaryView.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include "doc/HammerDoc.h"
#include "model/HammerData.h"
#include "model/SummaryData.h"
#include "report/SummaryTexts.h"
#include "tools/dialogs/PrintTarget.h"
#include "tools/graph/PictureData.h"
#include "ui/UiText.h"

namespace {

enum EMenu { kMenuRemoveOne = 1, kMenuRemoveAll = 2, kMenuAddAll = 3 };

// A picture or a sheet is laid out as the page shows in a window narrower
// than 860 pixels, whatever the window's width: a wide window lays its page
// out wider than it scrolls (the comment runs on to the window's edge), which
// a picture of the scroll size or a sheet scaled to it would cut off, and a
// sheet scaled from a wide window would carry unreadably small text.
constexpr int kPageClientWidth = 0;

}  // namespace

CSummaryView::CSummaryView(CHammerDoc& doc, std::uint32_t dtFormat, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_dtFormat(dtFormat), m_fonts(QApplication::font()) {
    setObjectName(QStringLiteral("summaryView"));
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    SetScrollSize(m_scrollSize);
}

CSummaryView::~CSummaryView() = default;

void CSummaryView::SetDateTimeFormat(std::uint32_t dtFormat) {
    m_dtFormat = dtFormat;
    viewport()->update();
}

bool CSummaryView::HasEntries() const {
    const CSummaryData& s = m_doc.Summary();
    return s.GetEntryCount() > 0 && s.GetValueCount(0) > 0;
}

std::u16string CSummaryView::ExportText() {
    if (!HasEntries()) return {};
    return Report::CSummaryTexts(m_dtFormat).ExportText(m_doc.Summary(), 0);
}

int CSummaryView::LayoutWidth() const {
    return viewport()->width();
}

const CSummaryContent& CSummaryView::Content() {
    if (!m_content || !m_content->IsFor(m_doc.Summary(), m_dtFormat))
        m_content = std::make_unique<CSummaryContent>(m_doc.Summary(), m_dtFormat, m_fonts);
    return *m_content;
}

CSummaryPainter::TResult CSummaryView::Render(QPainter& painter, bool onScreen, const QRect& visible) {
    const int width = onScreen ? LayoutWidth() : kPageClientWidth;
    const int count = HasEntries() ? m_doc.Summary().GetValueCount(0) : 0;
    if (onScreen) {
        if (width != m_lastWidth || count != m_lastCount) m_rememberedListHeight = 0;
        m_lastWidth = width;
        m_lastCount = count;
        m_leftAreas.Clear();
        m_rightAreas.Clear();
    }
    CSummaryPainter drawer(painter, m_fonts, Content(), onScreen ? m_hovered : 0,
                           onScreen ? &m_leftAreas : nullptr, onScreen ? &m_rightAreas : nullptr, visible);
    const CSummaryPainter::TResult result = drawer.Draw(width, onScreen ? m_rememberedListHeight : 0);
    if (onScreen && result.drawn) {
        if (result.stacked) m_rememberedListHeight = result.listHeight;
        SetScrollSize(result.scrollSize);
    }
    return result;
}

void CSummaryView::SetScrollSize(const QSize& size) {
    m_scrollSize = size;
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - page.width()));
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setRange(0, std::max(0, size.height() - page.height()));
    verticalScrollBar()->setPageStep(page.height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void CSummaryView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    SetScrollSize(m_scrollSize);
}

QPoint CSummaryView::PagePoint(const QPoint& viewportPoint) const {
    return viewportPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CSummaryView::paintEvent(QPaintEvent* event) {
    // One buffered surface for the whole viewport: no flicker while hovering.
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::white);
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-offset);
    Render(painter, true, event->rect().translated(offset));
}

void CSummaryView::UpdateCursor() {
    viewport()->setCursor(m_hovered ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CSummaryView::HoverAt(const QPoint& pagePoint) {
    const auto hit = m_leftAreas.HitTest(pagePoint);
    const int id = hit ? hit->id : 0;
    if (id == m_hovered) return;
    UpdateItem(m_hovered);
    m_hovered = id;
    UpdateItem(m_hovered);
    UpdateCursor();
}

void CSummaryView::UpdateItem(int id) {
    if (!id) return;
    // A hover only underlines: a page of many series is not drawn again whole.
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    for (const auto& e : m_leftAreas.Entries())
        if (e.inUse && e.id == id) viewport()->update(e.rect.translated(-offset).adjusted(-2, -2, 2, 2));
}

void CSummaryView::mouseMoveEvent(QMouseEvent* event) {
    HoverAt(PagePoint(event->position().toPoint()));
}

void CSummaryView::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    if (m_hovered) {
        UpdateItem(m_hovered);
        m_hovered = 0;
        UpdateCursor();
    }
}

void CSummaryView::LeftClickAt(const QPoint& pagePoint) {
    if (!HasEntries()) return;
    const auto hit = m_leftAreas.HitTest(pagePoint);
    m_hovered = 0;
    UpdateCursor();
    CSummaryData& summary = m_doc.Summary();
    switch (hit ? hit->id : 0) {
        case CSummaryPainter::kItemOrder: {
            const int order = Report::CSummaryTexts::EffectiveDiagramOrder(summary, 0);
            summary.SetDiagramOrder(0, static_cast<std::int16_t>((order + 1) % 3));
            break;
        }
        case CSummaryPainter::kItemComment: {
            const std::optional<std::u16string> text = m_ui->RunComment(this, summary.GetTitle(0));
            if (text) summary.SetTitle(0, *text);
            break;
        }
        case CSummaryPainter::kItemAveraging:
            summary.SetAveraging(0, summary.GetAveraging(0) == kSummaryMedian ? kSummaryMean : kSummaryMedian);
            m_doc.NotifyViews(nullptr, -1);
            break;
        default:
            break;
    }
    viewport()->update();
}

void CSummaryView::RightClickAt(const QPoint& pagePoint, const QPoint& globalPos) {
    const auto bar = m_rightAreas.HitTest(pagePoint);
    std::vector<TChooserItem> items;
    if (bar) {
        items.push_back({UiText::Format(59463, UiText::FromQ(bar->text)).toStdU16String(), kMenuRemoveOne});
        items.push_back(TChooserItem::Separator());
    }
    items.push_back({UiText::Load(59465), kMenuRemoveAll});
    items.push_back({UiText::Load(59466), kMenuAddAll});
    CHammerData& data = m_doc.WorkingData();
    switch (m_ui->RunContextMenu(this, items, globalPos)) {
        case kMenuRemoveOne:
            if (bar && bar->id >= 0 && bar->id < data.GetCount()) data.SetUseInSummary(bar->id, 0);
            break;
        case kMenuRemoveAll:
            data.SetUseInSummaryAll(0);
            break;
        case kMenuAddAll:
            data.SetUseInSummaryAll(1);
            break;
        default:
            return;
    }
    viewport()->update();
}

void CSummaryView::mousePressEvent(QMouseEvent* event) {
    const QPoint page = PagePoint(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        LeftClickAt(page);
    else if (event->button() == Qt::RightButton)
        RightClickAt(page, event->globalPosition().toPoint());
}

void CSummaryView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CSummaryView::Copy() {
    const std::u16string text = ExportText();
    if (text.empty()) return;
    const std::string bytes = Report::CSummaryTexts::ClipboardBytes(text);
    auto* mime = new QMimeData;
    // The 8-bit text as spreadsheets on the other system read it, and Unicode
    // for every program that asks for plain text.
    mime->setData(QStringLiteral("text/plain;charset=windows-1252"),
                  QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    mime->setText(UiText::ToQ(text));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void CSummaryView::PrintWithDialog(const std::filesystem::path& project, Text::IUserPrompt& prompt) {
    if (!HasEntries()) return;
    QPrinter printer(QPrinter::HighResolution);
    PrintTarget::Prepare(printer, PrintTarget::SuggestedPdfFile(project), PrintTarget::InstalledPrinters());
    if (!m_ui->RunPrintDialog(this, printer, false)) return;
    // A PDF file is put in place only once it is complete, as the table's is.
    const PrintTarget::SPrintOutcome outcome = PrintTarget::PrintSafely(printer, [&](QPrinter& p) {
        return Print(p) ? PrintTarget::EPrintEnd::Printed : PrintTarget::EPrintEnd::Failed;
    });
    if (outcome.end == PrintTarget::EPrintEnd::Failed) PrintTarget::ReportFailure(printer, prompt);
}

QSize CSummaryView::PageSize() {
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    return Render(painter, false, QRect()).scrollSize;
}

void CSummaryView::CopyPicture() {
    if (!HasEntries()) return;
    // The layout first: the picture is as large as the page scrolls.
    const QSize size = PageSize();
    const QRect all(QPoint(0, 0), size);
    std::unique_ptr<QMimeData> mime = PictureData::Make(size, [&](QPainter& painter) { Render(painter, false, all); });
    if (mime) QGuiApplication::clipboard()->setMimeData(mime.release());
}

bool CSummaryView::Print(QPrinter& printer) {
    if (!HasEntries()) return true;
    const QSize size = PageSize();
    printer.setDocName(QStringLiteral("BRELVANTOR"));
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // One average character of Arial at 11 units is the left margin.
    QFont printFont(QStringLiteral("Arial"));
    printFont.setPixelSize(11);
    const QString sample = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSAT") + QStringLiteral("UVWXY");
    const double a = QFontMetricsF(printFont).horizontalAdvance(sample) / 52.0;
    const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = paper.width() / (size.width() + a);
    painter.scale(scale, scale);
    painter.translate(a, 0);
    // Whatever lies below the sheet is cut off.
    const QRect page(0, 0, size.width(), static_cast<int>(paper.height() / scale));
    painter.setClipRect(page);
    Render(painter, false, page);
    return painter.end();
}
