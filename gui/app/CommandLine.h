#pragma once
// The program's arguments: "-Energy" (any letter case, any position) switches the
// energy display on; the project to open is the first other argument. The
// switches "--screenshot FILE" and "--tab series|summary" make the program save a
// picture of its window and end; "--log FILE" writes every byte exchanged with
// the hammer to FILE as readable hex, for support. "--print-pdf FILE" prints the
// tab named by "--tab" (the selected series only with "--selection") to a PDF
// file without a dialog and ends.
#include <QString>
#include <QStringList>
#include <optional>

class CCommandLine {
  public:
    // `arguments` without the program name.
    static CCommandLine Parse(const QStringList& arguments);

    bool Energy() const { return m_energy; }
    const std::optional<QString>& Project() const { return m_project; }
    const std::optional<QString>& Screenshot() const { return m_screenshot; }
    const std::optional<QString>& Log() const { return m_log; }
    const std::optional<QString>& PrintPdf() const { return m_printPdf; }
    bool PrintSelection() const { return m_selection; }
    // 0 series, 1 summary (of the picture or the print).
    int ScreenshotTab() const { return m_tab; }
    // Empty when the arguments are usable; otherwise what is wrong.
    const QString& Error() const { return m_error; }

    static bool IsEnergySwitch(const QString& argument);

  private:
    bool m_energy = false;
    std::optional<QString> m_project;
    std::optional<QString> m_screenshot;
    std::optional<QString> m_log;
    std::optional<QString> m_printPdf;
    bool m_selection = false;
    int m_tab = 0;
    QString m_error;
};
