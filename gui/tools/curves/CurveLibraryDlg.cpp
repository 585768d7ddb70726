#include "tools/curves/CurveLibraryDlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "doc/HammerDoc.h"
#include "text/UserPrompt.h"
#include "tools/ToolStrings.h"
#include "tools/curves/CreateCurveDlg.h"
#include "tools/curves/CurveDlgIds.h"
#include "ui/UiText.h"

using namespace CurveDlgIds;

CUploadUserCurve::CUploadUserCurve(CHammerDoc& doc, Text::IUserPrompt& prompt, UploadRunner upload,
                                   QWidget* parent)
    : QDialog(parent), m_doc(doc), m_prompt(prompt), m_upload(std::move(upload)) {
    setObjectName(QStringLiteral("curveLibraryDialog"));
    setWindowTitle(UiText::Get(kLibraryTitle));

    auto* group = new QGroupBox(UiText::Get(kLibraryGroup), this);
    m_list = new QComboBox(group);
    m_list->setObjectName(QStringLiteral("curves"));
    m_list->setMinimumContentsLength(16);
    m_view = new QPushButton(UiText::Get(kView), group);
    m_view->setObjectName(QStringLiteral("view"));
    m_create = new QPushButton(UiText::Get(kCreateNew), group);
    m_create->setObjectName(QStringLiteral("createNew"));
    m_delete = new QPushButton(UiText::Get(kDelete), group);
    m_delete->setObjectName(QStringLiteral("delete"));
    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(m_view);
    groupButtons->addWidget(m_create);
    groupButtons->addWidget(m_delete);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_list);
    groupLayout->addLayout(groupButtons);

    m_save = new QPushButton(UiText::Get(kSaveOnHammer), this);
    m_save->setObjectName(QStringLiteral("saveOnHammer"));
    m_save->setDefault(true);
    m_back = new QPushButton(UiText::Get(kBack), this);
    m_back->setObjectName(QStringLiteral("back"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addStretch(1);
    buttons->addWidget(m_back);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    connect(m_view, &QPushButton::clicked, this, &CUploadUserCurve::OnView);
    connect(m_create, &QPushButton::clicked, this, &CUploadUserCurve::OnCreate);
    connect(m_delete, &QPushButton::clicked, this, &CUploadUserCurve::OnDelete);
    connect(m_save, &QPushButton::clicked, this, &CUploadUserCurve::OnSaveOnHammer);
    connect(m_back, &QPushButton::clicked, this, &QDialog::reject);
    Fill();
}

void CUploadUserCurve::Fill() {
    m_list->clear();
    const auto& curves = m_doc.CurveLibrary();
    // Each item carries its curve's position in the library.
    for (int position : m_doc.Library().PositionsByName())
        m_list->addItem(UiText::ToQ(curves[static_cast<std::size_t>(position)].Name()), position);
    const bool any = m_list->count() > 0;
    if (any) m_list->setCurrentIndex(0);
    m_save->setEnabled(any && m_upload != nullptr);
    m_view->setEnabled(any);
    m_delete->setEnabled(any);
}

int CUploadUserCurve::SelectedPosition() const {
    return m_list->currentIndex() < 0 ? -1 : m_list->currentData().toInt();
}

void CUploadUserCurve::OnView() {
    const int position = SelectedPosition();
    if (position < 0) return;
    CCreateCurveDlg view(m_doc, m_prompt, position, this);
    view.exec();
}

void CUploadUserCurve::OnCreate() {
    {
        CCreateCurveDlg create(m_doc, m_prompt, this);
        create.exec();
    }
    Fill();
}

void CUploadUserCurve::OnDelete() {
    const int position = SelectedPosition();
    if (position < 0) return;
    if (Text::ShowMessageId(m_prompt, kDeleteQuestion, Text::MsgIcon::Question, Text::MsgButtons::YesNoCancel) !=
        Text::MsgResult::Yes)
        return;
    const std::filesystem::path file = m_doc.Library().FileOf(position);
    // A file that stays is said, not hidden behind a list that still shows it.
    if (!m_doc.DeleteCurveFile(position))
        Tools::ShowToolText(m_prompt, kCurveNotDeleted,
                            Tools::FormatToolString(kCurveNotDeleted, UiText::FromQ(QString::fromStdString(file.string()))),
                            Text::MsgIcon::Error);
    Fill();
}

void CUploadUserCurve::OnSaveOnHammer() {
    const int position = SelectedPosition();
    if (position < 0 || !m_upload) return;
    m_upload(this, position);
}
