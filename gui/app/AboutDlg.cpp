#include "app/AboutDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/AppSettings.h"
#include "text/FileVersionInfo.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

CAboutDlg::CAboutDlg(const Settings::CAppSettings& settings, QWidget* parent)
    : QDialog(parent),
      m_version(new QLabel(QStringLiteral("[Version]"), this)),
      m_release(new QLabel(QStringLiteral("[Release]"), this)),
      m_build(new QLabel(QStringLiteral("[Build]"), this)),
      m_copyright(new QLabel(QStringLiteral("[Copyright]"), this)),
      m_comments(new QLabel(QStringLiteral("[Comments]"), this)),
      m_description(new QLabel(QStringLiteral("[File description]"), this)) {
    setWindowTitle(UiText::Get(Ids::kAboutTitle));

    const Text::CFileVersionInfo& program = settings.ProgramVersionInfo();
    if (program.Has(u"FileVersion")) {
        const Text::TModuleVersion& v = program.ProductVersion();
        m_version->setText(QStringLiteral("%1.%2").arg(v.parts[0]).arg(v.parts[1]));
        m_release->setText(QString::number(v.parts[2]));
        m_build->setText(QString::number(v.parts[3]));
        QString description = UiText::ToQ(program.Get(u"FileDescription"));
        if (sizeof(void*) == 8) description += UiText::Get(Ids::kAbout64Bit);
        m_description->setText(description);
        const Text::CFileVersionInfo& resource = settings.ResourceVersionInfo();
        const Text::CFileVersionInfo& texts =
            settings.IsLanguageModuleLoaded() && resource.Has(u"FileVersion") ? resource : program;
        m_comments->setText(UiText::ToQ(texts.Get(u"Comments")));
        m_copyright->setText(UiText::ToQ(texts.Get(u"LegalCopyright")));
    }
    for (QLabel* label : {m_version, m_release, m_build, m_copyright, m_comments, m_description})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_description->setWordWrap(true);
    m_comments->setWordWrap(true);

    auto* logo = new QLabel(this);
    logo->setPixmap(QIcon(QStringLiteral(":/icons/logo.svg")).pixmap(QSize(150, 40)));

    auto* form = new QFormLayout;
    form->addRow(UiText::Get(Ids::kAboutVersion), m_version);
    form->addRow(UiText::Get(Ids::kAboutRelease), m_release);
    form->addRow(UiText::Get(Ids::kAboutBuild), m_build);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(UiText::Get(Ids::kButtonOk));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(logo);
    layout->addWidget(m_description);
    layout->addLayout(form);
    layout->addWidget(m_comments);
    layout->addWidget(m_copyright);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}
