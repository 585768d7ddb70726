#include "tools/dialogs/CommentDlg.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "views/series/SeriesText.h"

namespace {

// The edit works with LF alone; the files carry CRLF.
QString ForEditing(const std::u16string& text) {
    QString q = SeriesText::ToQ(text);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    q.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return q;
}

std::u16string ForStoring(QString text) {
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return SeriesText::FromQ(text);
}

}  // namespace

CCommentDlg::CCommentDlg(const std::u16string& text, QWidget* parent)
    : QDialog(parent), m_text(text), m_edit(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("commentDialog"));
    setWindowTitle(SeriesText::Get(SeriesText::Ids::kCommentTitle));
    m_edit->setObjectName(QStringLiteral("comment"));
    m_edit->setTabChangesFocus(true);
    m_edit->setPlainText(ForEditing(text));
    m_edit->setMinimumSize(360, 140);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(SeriesText::Get(SeriesText::Ids::kButtonOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(SeriesText::Get(SeriesText::Ids::kButtonCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCommentDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCommentDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
}

void CCommentDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_edit->setFocus();
    m_edit->moveCursor(QTextCursor::End);
    m_edit->ensureCursorVisible();
}

void CCommentDlg::accept() {
    m_text = ForStoring(m_edit->toPlainText());
    QDialog::accept();
}
