#pragma once
// One cell of the grid: its text, the text it contributes when the grid builds
// export or clipboard text, colours, alignment, read-only state and tooltip.
// Cell kinds with their own look derive from it and draw themselves; cells
// with clickable parts also take mouse moves and clicks (in coordinates
// relative to the cell's top-left corner).
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <optional>

class CGridTextCache;
class QPainter;
class QFontMetrics;

struct TGridTooltip {
    QString title;
    QString body;
    bool IsEmpty() const { return title.isEmpty() && body.isEmpty(); }
};

// How a cell is to be drawn this time.
struct TCellDrawState {
    bool selected = false;
    bool focused = false;
    bool printing = false;   // printer: no selection colours, no focus marks, print text colours
    bool offscreen = false;  // printer or picture: drawing must not change the grid (row heights)
    QColor defaultText;      // the grid's text colour of normal cells
    QColor selectionBackground;
    QFont font;                       // the grid's font
    CGridTextCache* texts = nullptr;  // laid-out texts kept between paints (screen only)
};

class CGridCell {
  public:
    enum EKind { kText = 0, kBar, kGradient, kMultiBmp, kCustom };

    CGridCell() = default;
    virtual ~CGridCell() = default;
    CGridCell(const CGridCell&) = delete;
    CGridCell& operator=(const CGridCell&) = delete;

    virtual EKind Kind() const { return kText; }

    const QString& Text() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }
    // Returned in place of the text when the grid builds export or clipboard
    // text; an empty export text means the cell text.
    void SetExportText(const QString& text) { m_exportText = text; }
    virtual QString ExportText() const { return m_exportText.isEmpty() ? m_text : m_exportText; }

    QColor Background() const { return m_background; }
    void SetBackground(const QColor& c) { m_background = c; }
    // Invalid: the grid's default text colour.
    QColor TextColor() const { return m_textColor; }
    void SetTextColor(const QColor& c) { m_textColor = c; }
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment a) { m_alignment = a; }
    bool IsReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

    void SetTooltip(const QString& title, const QString& body) { m_tooltip = {title, body}; }
    const TGridTooltip& Tooltip() const { return m_tooltip; }
    // The tooltip at a point of the cell; the cell's own by default.
    virtual TGridTooltip TooltipAt(const QPoint& local) const;

    // Draws background, border-free content and text into `rect`.
    virtual void Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state);
    // The width the content needs, for sizing columns to their contents.
    virtual int ContentWidth(const QFontMetrics& metrics) const;

    // Mouse over the cell: true when the cell wants to be redrawn.
    virtual bool OnMouseMove(const QPoint& local) {
        (void)local;
        return false;
    }
    virtual bool OnMouseLeave() { return false; }
    virtual Qt::CursorShape Cursor() const { return Qt::ArrowCursor; }
    // A left click: true when the cell used it (the grid then leaves the
    // selection alone).
    virtual bool OnClick(const QPoint& local) {
        (void)local;
        return false;
    }

    // Horizontal padding of texts inside a cell.
    static constexpr int kTextMargin = 4;

  protected:
    // Fills the background (the selection colour while selected, unless printing).
    void DrawBackground(QPainter& painter, const QRect& rect, const TCellDrawState& state) const;
    void DrawCellText(QPainter& painter, const QRect& rect, const TCellDrawState& state,
                      const QColor& color) const;
    QColor EffectiveTextColor(const TCellDrawState& state) const;

  private:
    QString m_text;
    QString m_exportText;
    QColor m_background = Qt::white;
    QColor m_textColor;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool m_readOnly = false;
    TGridTooltip m_tooltip;
};
