#pragma once
// The about box: version, release and build of the program, its description,
// and the comments and copyright of the module the texts come from.
#include <QDialog>

class QLabel;

namespace Settings {
class CAppSettings;
}

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    CAboutDlg(const Settings::CAppSettings& settings, QWidget* parent);

    QLabel* VersionLabel() const { return m_version; }
    QLabel* ReleaseLabel() const { return m_release; }
    QLabel* BuildLabel() const { return m_build; }
    QLabel* CopyrightLabel() const { return m_copyright; }
    QLabel* CommentsLabel() const { return m_comments; }
    QLabel* DescriptionLabel() const { return m_description; }

  private:
    QLabel* m_version;
    QLabel* m_release;
    QLabel* m_build;
    QLabel* m_copyright;
    QLabel* m_comments;
    QLabel* m_description;
};
