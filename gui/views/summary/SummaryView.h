#pragma once
// The summary page's view: the drawn summary in a scrolling window. It reads
// everything from the document's summary at each draw and keeps only how it
// is shown: the hovered item, the clickable rectangles and the list height it
// settled on for the current width.
#include <QAbstractScrollArea>
#include <QSize>
#include <filesystem>
#include <memory>
#include <string>

#include "tools/dialogs/SensitiveArea.h"
#include "views/series/SeriesUi.h"
#include "views/summary/SummaryPainter.h"

class CHammerDoc;
class QPrinter;
namespace Text {
class IUserPrompt;
}

class CSummaryView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    static constexpr int kWindowId = 666;

    CSummaryView(CHammerDoc& doc, std::uint32_t dtFormat, QWidget* parent = nullptr);
    ~CSummaryView() override;

    void SetUserInterface(ISeriesUi* ui) { m_ui = ui ? ui : &m_qtUi; }
    void SetDateTimeFormat(std::uint32_t dtFormat);

    bool HasEntries() const;
    // The summary's export text (empty without series).
    std::u16string ExportText();
    // Ctrl+C: the export text as 8-bit text, and as Unicode for the others.
    void Copy();
    // SVG and PNG of the whole page at its scroll size, on a white ground.
    void CopyPicture();
    // The page on one sheet, as wide as the paper; false when the printer
    // refused. Prints nothing without series.
    bool Print(QPrinter& printer);
    // The Print command: the print dialog, then the page; a job that went
    // nowhere is said through `prompt`. `project` names the PDF file offered
    // when no printer is installed.
    void PrintWithDialog(const std::filesystem::path& project, Text::IUserPrompt& prompt);
    // The scroll size of the page as a picture and a sheet lay it out: as in
    // a narrow window, whatever the view's width.
    QSize PageSize();

    // Draws the page onto `painter`: on screen at the view's width, else as
    // a picture or a sheet lays it out.
    CSummaryPainter::TResult Render(QPainter& painter, bool onScreen, const QRect& visible);
    QSize ScrollSize() const { return m_scrollSize; }
    int Hovered() const { return m_hovered; }
    const CSensitiveArea& LeftAreas() const { return m_leftAreas; }
    const CSensitiveArea& RightAreas() const { return m_rightAreas; }
    // The window's width the page lays out for.
    int LayoutWidth() const;
    // What the page shows of the summary as it is now: worked out again only
    // after the summary or the date format changed.
    const CSummaryContent& Content();

    // What the user does, in page coordinates (tests call these too).
    void HoverAt(const QPoint& pagePoint);
    void LeftClickAt(const QPoint& pagePoint);
    void RightClickAt(const QPoint& pagePoint, const QPoint& globalPos);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPoint PagePoint(const QPoint& viewportPoint) const;
    void SetScrollSize(const QSize& size);
    void UpdateCursor();
    // Repaints what shows item `id` of the left button (its underline).
    void UpdateItem(int id);

    CHammerDoc& m_doc;
    std::uint32_t m_dtFormat;
    CSummaryPainter::TFonts m_fonts;
    CQtSeriesUi m_qtUi;
    ISeriesUi* m_ui = &m_qtUi;
    std::unique_ptr<CSummaryContent> m_content;
    CSensitiveArea m_leftAreas;
    CSensitiveArea m_rightAreas;
    int m_hovered = 0;
    QSize m_scrollSize{1000, 1000};
    int m_rememberedListHeight = 0;
    int m_lastWidth = -1;
    int m_lastCount = -1;
};
