#include "app/RemoteLoginDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/CommandIds.h"
#include "ui/UiText.h"

std::optional<Device::SCredentials> CRemoteLoginDlg::AskCredentials(const std::u16string& storedUser) {
    QDialog dialog(m_parent);
    dialog.setWindowTitle(UiText::Get(Ids::kRemoteLoginTitle));
    auto* user = new QLineEdit(UiText::ToQ(storedUser), &dialog);
    auto* password = new QLineEdit(&dialog);
    password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(UiText::Get(Ids::kRemoteLoginUser), user);
    form->addRow(UiText::Get(Ids::kRemoteLoginPassword), password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(UiText::Get(Ids::kButtonOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(UiText::Get(Ids::kButtonCancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(UiText::Get(Ids::kRemoteLoginText), &dialog));
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return Device::SCredentials{UiText::FromQ(user->text()), UiText::FromQ(password->text())};
}
