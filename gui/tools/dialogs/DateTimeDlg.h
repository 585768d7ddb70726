#pragma once
// Adjusts the time stamps of the selected series: shows the clicked series'
// stamp and lets the user pick the stamp it should have; the result is the
// difference, which is added to every selected series.
//
// Series stamps are plain calendar time (no zone, no daylight saving), and the
// pickers work in the same plain calendar, so a stamp moved from winter to
// summer keeps its wall-clock time whatever the computer's time zone.
#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>

#include "text/DateTimeFormat.h"

class QDateEdit;
class QLineEdit;
class QTimeEdit;

class CDateTimeDlg : public QDialog {
    Q_OBJECT
  public:
    CDateTimeDlg(std::uint32_t original, std::uint32_t dtFormat, QWidget* parent = nullptr);

    // Adjusted minus original, in seconds (0 until accepted with a change).
    std::int64_t Offset() const { return m_offset; }
    std::uint32_t Original() const { return m_original; }

    // The offset for a picked calendar date and time; nothing when the picked
    // time lies outside the range of a series stamp.
    static std::optional<std::int64_t> OffsetFor(std::uint32_t original, const Text::TCalendarTime& picked);
    // A date or time pattern of ours as a Qt display format.
    static QString QtDisplayFormat(std::u16string_view pattern);
    // The time pattern with seconds: "mm" becomes "mm:ss".
    static std::u16string WithSeconds(std::u16string_view timePattern);

    QLineEdit* DateText() const { return m_dateText; }
    QLineEdit* TimeText() const { return m_timeText; }
    QDateEdit* DatePicker() const { return m_datePicker; }
    QTimeEdit* TimePicker() const { return m_timePicker; }

  public slots:
    void accept() override;

  private:
    std::uint32_t m_original;
    std::int64_t m_offset = 0;
    QLineEdit* m_dateText;
    QLineEdit* m_timeText;
    QDateEdit* m_datePicker;
    QTimeEdit* m_timePicker;
};
