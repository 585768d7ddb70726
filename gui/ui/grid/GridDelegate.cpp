#include "ui/grid/GridDelegate.h"

#include <QLineEdit>
#include <QPainter>

#include "ui/grid/GridView.h"

CGridDelegate::CGridDelegate(CGridView* view) : QStyledItemDelegate(view), m_view(view) {}

void CGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    // The table still visits rows of height 0 (collapsed detail rows): nothing to draw there.
    if (option.rect.height() <= 0 || option.rect.width() <= 0) return;
    CGridCell* cell = m_view->GridModel()->Cell(index.row(), index.column());
    if (!cell) return;
    TCellDrawState state;
    state.selected = (option.state & QStyle::State_Selected) != 0;
    state.focused = (option.state & QStyle::State_HasFocus) != 0;
    state.defaultText = m_view->DefaultTextColor();
    state.selectionBackground = m_view->SelectionBackground();
    state.font = option.font;
    state.texts = &m_view->TextCache();
    painter->save();
    painter->setClipRect(option.rect, Qt::IntersectClip);
    cell->Draw(*painter, option.rect, state);
    painter->restore();
}

QSize CGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    CGridCell* cell = m_view->GridModel()->Cell(index.row(), index.column());
    const int width = cell ? cell->ContentWidth(option.fontMetrics) : 0;
    return QSize(width, m_view->RowHeight(index.row()));
}

QWidget* CGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    (void)option;
    (void)index;
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    return edit;
}
