#include "tools/dialogs/DateTimeDlg.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "views/series/SeriesText.h"

namespace {

// The last day a 32-bit stamp reaches: 2000-01-01 plus 2^32 - 1 seconds.
const QDate kFirstDay(2000, 1, 1);
const QDate kLastDay(2136, 2, 7);

}  // namespace

std::u16string CDateTimeDlg::WithSeconds(std::u16string_view timePattern) {
    std::u16string out(timePattern);
    const std::size_t at = out.find(u"mm");
    if (at != std::u16string::npos) out.replace(at, 2, u"mm:ss");
    return out;
}

QString CDateTimeDlg::QtDisplayFormat(std::u16string_view pattern) {
    QString out;
    bool hasDesignator = pattern.find(u't') != std::u16string_view::npos;
    for (std::size_t i = 0; i < pattern.size();) {
        const char16_t c = pattern[i];
        if (c == u'\'') {
            // A quoted literal is the same in both syntaxes.
            std::size_t end = i + 1;
            while (end < pattern.size() && pattern[end] != u'\'') ++end;
            out += SeriesText::ToQ(pattern.substr(i, std::min(end + 1, pattern.size()) - i));
            i = end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        switch (c) {
            case u'd':
                out += QString(static_cast<int>(std::min<std::size_t>(run, 4)), QLatin1Char('d'));
                break;
            case u'M':
                out += QString(static_cast<int>(std::min<std::size_t>(run, 4)), QLatin1Char('M'));
                break;
            case u'y':
                out += run >= 3 ? QStringLiteral("yyyy") : QStringLiteral("yy");
                break;
            case u'h':
                // Qt shows a 12-hour clock only beside an AM/PM designator.
                out += QString(static_cast<int>(std::min<std::size_t>(run, 2)),
                               hasDesignator ? QLatin1Char('h') : QLatin1Char('H'));
                break;
            case u'H':
            case u'm':
            case u's':
                out += QString(static_cast<int>(std::min<std::size_t>(run, 2)), QChar(c));
                break;
            case u't':
                out += QStringLiteral("AP");
                break;
            default:
                if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
                    out += QLatin1Char('\'') + QString(static_cast<int>(run), QChar(c)) + QLatin1Char('\'');
                else
                    out += QString(static_cast<int>(run), QChar(c));
                break;
        }
        i += run;
    }
    return out;
}

std::optional<std::int64_t> CDateTimeDlg::OffsetFor(std::uint32_t original,
                                                    const Text::TCalendarTime& picked) {
    const std::optional<std::uint32_t> adjusted = Text::CalendarToSeriesTime(picked);
    if (!adjusted) return std::nullopt;
    return static_cast<std::int64_t>(*adjusted) - static_cast<std::int64_t>(original);
}

CDateTimeDlg::CDateTimeDlg(std::uint32_t original, std::uint32_t dtFormat, QWidget* parent)
    : QDialog(parent),
      m_original(original),
      m_dateText(new QLineEdit(this)),
      m_timeText(new QLineEdit(this)),
      m_datePicker(new QDateEdit(this)),
      m_timePicker(new QTimeEdit(this)) {
    using namespace SeriesText;
    setObjectName(QStringLiteral("adjustTimeDialog"));
    setWindowTitle(Get(Ids::kAdjustTimeTitle));

    const std::u16string datePattern = Text::GetDateFormatPattern(dtFormat).text;
    const std::u16string timePattern = WithSeconds(Text::GetTimeFormatPattern(dtFormat).text);

    m_dateText->setReadOnly(true);
    m_timeText->setReadOnly(true);
    m_dateText->setObjectName(QStringLiteral("currentDate"));
    m_timeText->setObjectName(QStringLiteral("currentTime"));
    m_dateText->setText(ToQ(Text::FormatSeriesTime(original, datePattern)));
    m_timeText->setText(ToQ(Text::FormatSeriesTime(original, timePattern)));

    // Plain calendar time on both pickers: a local zone would turn the hour
    // of a daylight-saving change into a time that does not exist.
    const Text::TCalendarTime t = Text::SeriesTimeToCalendar(original);
    m_datePicker->setObjectName(QStringLiteral("adjustedDate"));
    m_timePicker->setObjectName(QStringLiteral("adjustedTime"));
    m_datePicker->setTimeSpec(Qt::UTC);
    m_timePicker->setTimeSpec(Qt::UTC);
    m_datePicker->setDisplayFormat(QtDisplayFormat(datePattern));
    m_timePicker->setDisplayFormat(QtDisplayFormat(timePattern));
    m_datePicker->setDateRange(kFirstDay, kLastDay);
    m_datePicker->setCalendarPopup(true);
    m_datePicker->setDate(QDate(t.year, t.month, t.day));
    m_timePicker->setTime(QTime(t.hour, t.minute, t.second));

    auto* current = new QGroupBox(Get(Ids::kCurrentStampGroup), this);
    auto* currentForm = new QFormLayout(current);
    currentForm->addRow(Get(Ids::kDateLabel), m_dateText);
    currentForm->addRow(Get(Ids::kTimeLabel), m_timeText);
    auto* adjusted = new QGroupBox(Get(Ids::kAdjustedStampGroup), this);
    auto* adjustedForm = new QFormLayout(adjusted);
    adjustedForm->addRow(Get(Ids::kDateLabel), m_datePicker);
    adjustedForm->addRow(Get(Ids::kTimeLabel), m_timePicker);
    auto* note = new QLabel(Get(Ids::kAdjustNote), this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Get(Ids::kButtonOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(Get(Ids::kButtonCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDateTimeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDateTimeDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(current);
    layout->addWidget(adjusted);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

void CDateTimeDlg::accept() {
    const QDate d = m_datePicker->date();
    const QTime t = m_timePicker->time();
    Text::TCalendarTime picked;
    picked.year = d.year();
    picked.month = d.month();
    picked.day = d.day();
    picked.hour = t.hour();
    picked.minute = t.minute();
    picked.second = t.second();
    m_offset = OffsetFor(m_original, picked).value_or(0);
    QDialog::accept();
}
