#include "tools/dialogs/SeriesNotAddedDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "views/series/SeriesText.h"

CSeriesNotAddedDlg::CSeriesNotAddedDlg(QWidget* parent)
    : QDialog(parent), m_check(new QCheckBox(SeriesText::Get(SeriesText::Ids::kDoNotShowAgain), this)) {
    setObjectName(QStringLiteral("seriesNotAddedDialog"));
    setWindowTitle(SeriesText::Get(SeriesText::Ids::kNotAddedTitle));
    m_check->setObjectName(QStringLiteral("doNotShowAgain"));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(SeriesText::Get(SeriesText::Ids::kNotAddedText), this);
    text->setWordWrap(true);
    text->setMinimumWidth(380);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(SeriesText::Get(SeriesText::Ids::kButtonOk), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSeriesNotAddedDlg::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_check);
    layout->addWidget(buttons);
}

bool CSeriesNotAddedDlg::DoNotShowAgain() const {
    return m_check->isChecked();
}
