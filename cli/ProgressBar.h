#pragma once
// The download progress on standard error: one line that is redrawn in place.
// Drawn only when standard error is a terminal; in a script's log file a bar
// would only be noise.
#include <string>

#include "device/Callback.h"

class CProgressBar : public Device::CCallback {
  public:
    // `label` is shown before the bar.
    explicit CProgressBar(std::u16string label);
    ~CProgressBar() override;

    void OnProgress(int percent, int phase, int timeHintMs) override;
    // Ends the line of the bar (when one was drawn).
    void Finish();

    // The line for `percent` (0 to 100), without the carriage return.
    static std::string Render(std::string_view label, int percent, int width = 30);

  private:
    std::string m_label;
    int m_last = -1;
    bool m_drawn = false;
};
