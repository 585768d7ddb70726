#pragma once
// Draws every cell of the grid through the cell's own drawing, and edits the
// cells that are not read-only in place with a line edit.
#include <QStyledItemDelegate>

class CGridView;

class CGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit CGridDelegate(CGridView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

  private:
    CGridView* m_view;
};
