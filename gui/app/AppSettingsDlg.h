#pragma once
// The application settings dialog: the user-interface language (the program's
// own texts or a fitting language module beside it) and the date and time
// formats of the views. Nothing is stored before OK.
#include <QDialog>
#include <QString>
#include <filesystem>
#include <vector>

#include "text/DateTimeFormat.h"

class QComboBox;
class QGroupBox;

namespace Settings {
class CAppSettings;
}

class CAppSettingsDlg : public QDialog {
    Q_OBJECT
  public:
    // `programPath`: the program file, which entry 0 of the language list names.
    CAppSettingsDlg(Settings::CAppSettings& settings, std::filesystem::path programPath, QWidget* parent);

    // After OK: what changed.
    bool LanguageChanged() const { return m_languageChanged; }
    bool FormatChanged() const { return m_formatChanged; }
    bool Changed() const { return m_languageChanged || m_formatChanged; }

    QComboBox* LanguageList() const { return m_language; }
    QComboBox* DateList() const { return m_date; }
    QComboBox* TimeList() const { return m_time; }
    QGroupBox* SampleGroup() const { return m_group; }

    // "Date/Time format:  24.12.2013 17:05" for the given patterns and moment.
    static QString SampleCaption(int dateIndex, int timeIndex, const Text::TCalendarTime& now);

  public slots:
    void accept() override;
    void Reset();

  private:
    void UpdateSample();

    struct SLanguage {
        QString name;
        std::filesystem::path file;  // the module, or the program itself for entry 0
    };

    Settings::CAppSettings& m_settings;
    std::filesystem::path m_programPath;
    std::vector<SLanguage> m_languages;
    QComboBox* m_language;
    QComboBox* m_date;
    QComboBox* m_time;
    QGroupBox* m_group;
    bool m_languageChanged = false;
    bool m_formatChanged = false;
};
