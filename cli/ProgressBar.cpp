#include "ProgressBar.h"

#include <algorithm>

#include "CliOutput.h"

CProgressBar::CProgressBar(std::u16string label) : m_label(Cli::Utf8(label)) {
    SetProgressEnabled(Cli::StderrIsTerminal());
}

CProgressBar::~CProgressBar() {
    Finish();
}

std::string CProgressBar::Render(std::string_view label, int percent, int width) {
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * width / 100;
    std::string line(label);
    line += " [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(width - filled), '.');
    line += "] ";
    const std::string number = std::to_string(percent);
    line.append(3 - std::min<std::size_t>(3, number.size()), ' ');
    line += number;
    line += " %";
    return line;
}

void CProgressBar::OnProgress(int percent, int, int) {
    if (percent == m_last) return;
    m_last = percent;
    Cli::Err("\r" + Render(m_label, percent));
    m_drawn = true;
}

void CProgressBar::Finish() {
    if (!m_drawn) return;
    Cli::Err("\n");
    m_drawn = false;
    m_last = -1;
}
