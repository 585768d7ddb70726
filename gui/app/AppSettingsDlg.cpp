#include "app/AppSettingsDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/AppSettings.h"
#include "text/LanguageModule.h"
#include "ui/CommandIds.h"
#include "ui/LocalTime.h"
#include "ui/UiText.h"

namespace {

std::u16string FileNameOf(std::u16string_view path) {
    const auto slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

CAppSettingsDlg::CAppSettingsDlg(Settings::CAppSettings& settings, std::filesystem::path programPath,
                                 QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_programPath(std::move(programPath)),
      m_language(new QComboBox(this)),
      m_date(new QComboBox(this)),
      m_time(new QComboBox(this)),
      m_group(new QGroupBox(this)) {
    setWindowTitle(UiText::Get(Ids::kSettingsTitle));
    m_language->setObjectName(QStringLiteral("language"));
    m_date->setObjectName(QStringLiteral("date"));
    m_time->setObjectName(QStringLiteral("time"));

    // Entry 0 is the program's own language; then every fitting module in the
    // folder of the language file, by file name.
    const Text::CFileVersionInfo& program = m_settings.ProgramVersionInfo();
    m_languages.push_back({UiText::ToQ(program.Get(u"InternalName")), m_programPath});
    const std::u16string current = FileNameOf(m_settings.LanguageFile());
    int selected = 0;
    const std::u16string folder = m_settings.GetLanguageFolder();
    for (const auto& entry : Text::FindLanguageModules(std::filesystem::path(folder),
                                                       UiText::Load(Settings::kIdModulePattern), program)) {
        // The module is known by the name of its file, not by the name it
        // claims: a renamed module is still found, and a claimed name can never
        // send the setting outside the program's folder.
        if (entry.file.filename().u16string() == current) selected = static_cast<int>(m_languages.size());
        m_languages.push_back({UiText::ToQ(entry.info.Get(u"InternalName")), entry.file});
    }
    for (const SLanguage& language : m_languages) m_language->addItem(language.name);
    m_language->setCurrentIndex(selected);

    for (int i = 0; i < Text::kPatternCount; ++i) {
        m_date->addItem(UiText::Get(Text::kFirstDatePatternId + static_cast<unsigned>(i)));
        m_time->addItem(UiText::Get(Text::kFirstTimePatternId + static_cast<unsigned>(i)));
    }
    m_date->setCurrentIndex(Text::DateFormatIndex(m_settings.DTFormat()));
    m_time->setCurrentIndex(Text::TimeFormatIndex(m_settings.DTFormat()));

    auto* formats = new QFormLayout(m_group);
    formats->addRow(UiText::Get(Ids::kDateFormat), m_date);
    formats->addRow(UiText::Get(Ids::kTimeFormat), m_time);

    auto* languageForm = new QFormLayout;
    languageForm->addRow(UiText::Get(Ids::kSelectLanguage), m_language);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(UiText::Get(Ids::kButtonOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(UiText::Get(Ids::kButtonCancel));
    QPushButton* reset = buttons->addButton(UiText::Get(Ids::kButtonReset), QDialogButtonBox::ResetRole);
    reset->setObjectName(QStringLiteral("reset"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CAppSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(reset, &QPushButton::clicked, this, &CAppSettingsDlg::Reset);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(languageForm);
    layout->addWidget(m_group);
    layout->addWidget(buttons);

    connect(m_date, &QComboBox::currentIndexChanged, this, &CAppSettingsDlg::UpdateSample);
    connect(m_time, &QComboBox::currentIndexChanged, this, &CAppSettingsDlg::UpdateSample);
    UpdateSample();
    setMinimumWidth(400);
}

QString CAppSettingsDlg::SampleCaption(int dateIndex, int timeIndex, const Text::TCalendarTime& now) {
    const std::u16string date = Text::FormatCalendarTime(
        now, UiText::Load(Text::kFirstDatePatternId + static_cast<unsigned>(dateIndex)));
    const std::u16string time = Text::FormatCalendarTime(
        now, UiText::Load(Text::kFirstTimePatternId + static_cast<unsigned>(timeIndex)));
    return UiText::Get(Ids::kDateTimeGroup) + QStringLiteral("  ") + UiText::ToQ(date) + QLatin1Char(' ') +
           UiText::ToQ(time);
}

void CAppSettingsDlg::UpdateSample() {
    m_group->setTitle(
        SampleCaption(std::max(0, m_date->currentIndex()), std::max(0, m_time->currentIndex()), LocalCalendarNow()));
}

void CAppSettingsDlg::Reset() {
    m_language->setCurrentIndex(0);
    m_date->setCurrentIndex(0);
    m_time->setCurrentIndex(0);
    UpdateSample();
}

void CAppSettingsDlg::accept() {
    m_languageChanged = false;
    m_formatChanged = false;
    const int index = std::max(0, m_language->currentIndex());
    const SLanguage& language = m_languages[static_cast<std::size_t>(index)];
    m_languageChanged = language.file.filename().u16string() != FileNameOf(m_settings.LanguageFile());
    const std::uint32_t format = static_cast<std::uint32_t>(m_date->currentIndex()) * 256u +
                                 static_cast<std::uint32_t>(m_time->currentIndex());
    m_formatChanged = format != m_settings.DTFormat();
    if (m_formatChanged) m_settings.SetDateTimeFormat(format);
    if (m_languageChanged) m_settings.SetLanguageFile(language.file.u16string());
    QDialog::accept();
}
