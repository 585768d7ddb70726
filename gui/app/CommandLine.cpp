#include "app/CommandLine.h"

bool CCommandLine::IsEnergySwitch(const QString& argument) {
    return argument.compare(QStringLiteral("-Energy"), Qt::CaseInsensitive) == 0;
}

CCommandLine CCommandLine::Parse(const QStringList& arguments) {
    CCommandLine line;
    QStringList rest;
    // The file a switch names: the next argument, unless there is none, it is
    // empty, or it is another of the switches ("--print-pdf --tab summary" lacks
    // its file; it must not print to a file called "--tab").
    const auto fileOf = [&](qsizetype& i, std::optional<QString>& file) {
        const QString& name = arguments[i];
        if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty() ||
            arguments[i + 1].startsWith(QStringLiteral("--"))) {
            line.m_error = name + QStringLiteral(" needs a file name");
            return false;
        }
        file = arguments[++i];
        return true;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QStringLiteral("--screenshot")) {
            if (!fileOf(i, line.m_screenshot)) return line;
        } else if (arg == QStringLiteral("--log")) {
            if (!fileOf(i, line.m_log)) return line;
        } else if (arg == QStringLiteral("--print-pdf")) {
            if (!fileOf(i, line.m_printPdf)) return line;
        } else if (arg == QStringLiteral("--selection")) {
            line.m_selection = true;
        } else if (arg == QStringLiteral("--tab")) {
            const QString tab = i + 1 < arguments.size() ? arguments[++i] : QString();
            if (tab == QStringLiteral("series")) {
                line.m_tab = 0;
            } else if (tab == QStringLiteral("summary")) {
                line.m_tab = 1;
            } else {
                line.m_error = QStringLiteral("--tab takes series or summary");
                return line;
            }
        } else {
            rest << arg;
        }
    }
    // The project is the first argument that is not the energy switch. A second
    // "-Energy" is therefore never taken for a file name.
    for (const QString& arg : rest) {
        if (IsEnergySwitch(arg)) {
            line.m_energy = true;
        } else if (!line.m_project && !arg.isEmpty()) {
            line.m_project = arg;
        }
    }
    if (line.m_printPdf && line.m_screenshot)
        line.m_error = QStringLiteral("--print-pdf and --screenshot exclude each other");
    if (line.m_selection && !line.m_printPdf)
        line.m_error = QStringLiteral("--selection belongs to --print-pdf");
    return line;
}
