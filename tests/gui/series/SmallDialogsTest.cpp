// The value slider, the time adjustment, the comment and the
// series-not-added notice, driven through their own widgets.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTimeEdit>
#include <cmath>

#include "text/DateTimeFormat.h"
#include "tools/dialogs/CommentDlg.h"
#include "tools/dialogs/DateTimeDlg.h"
#include "tools/dialogs/SeriesNotAddedDlg.h"
#include "tools/dialogs/SliderDlg.h"

namespace {

struct TSlider {
    double minimum, maximum, value;
    int decimals;
    double step;
    const char* unit;
};

void Prepare(CSliderDlg& dialog, const TSlider& s) {
    dialog.SetRange(s.minimum, s.maximum);
    dialog.SetValue(s.value);
    dialog.SetDecimals(s.decimals);
    dialog.SetStep(s.step);
    dialog.SetTitle(QStringLiteral("Title"));
    dialog.SetUnit(QString::fromUtf8(s.unit));
    dialog.Prepare();
}

TEST(SliderDlg, PositionsRunUpwardsOnTheScaleOfTheStep) {
    CSliderDlg dialog;
    Prepare(dialog, {0.5, 1.0, 0.85, 2, 0.01, ""});
    EXPECT_DOUBLE_EQ(100, dialog.ScaleFactor());
    EXPECT_EQ(50, dialog.Slider()->minimum());
    EXPECT_EQ(100, dialog.Slider()->maximum());
    EXPECT_EQ(65, dialog.Slider()->value());      // 0.85 stands at 50 + 100 - 85
    EXPECT_NEAR(1.0, dialog.ValueAt(50), 1e-12);  // the top end is the maximum
    EXPECT_NEAR(0.5, dialog.ValueAt(100), 1e-12);
    EXPECT_EQ(QStringLiteral("1.00"), dialog.TopLabel()->text());
    EXPECT_EQ(QStringLiteral("0.50"), dialog.BottomLabel()->text());
    EXPECT_EQ(QStringLiteral("0.85"), dialog.Edit()->text());
    EXPECT_EQ(QStringLiteral("Title"), dialog.TitleLabel()->text());
    EXPECT_EQ(QStringLiteral("Title"), dialog.windowTitle());

    // Typing 0.8 puts the thumb at 70, which stands for 0.8.
    dialog.Edit()->setText(QStringLiteral("0.8"));
    EXPECT_EQ(70, dialog.Slider()->value());
    EXPECT_EQ(QStringLiteral("0.8"), dialog.Edit()->text());  // typing is not overwritten
    EXPECT_NEAR(0.8, dialog.ValueAt(dialog.Slider()->value()), 1e-12);
    // Moving the thumb writes the value it stands for.
    dialog.Slider()->setValue(57);
    EXPECT_EQ(QStringLiteral("0.93"), dialog.Edit()->text());
    dialog.accept();
    EXPECT_NEAR(0.93, dialog.Value(), 1e-12);
}

TEST(SliderDlg, OkLimitsTheTypedValueToTheRange) {
    struct SCase {
        TSlider setup;
        const char* typed;
        double result;
    };
    const SCase cases[] = {
        {{80, 120, 100, 0, 1, "%"}, "130", 120},
        {{80, 120, 100, 0, 1, "%"}, "12", 80},
        {{80, 120, 100, 0, 1, "%"}, "95", 95},
        {{0, 7, 2, 0, 1, ""}, "-1", 0},
        {{0.5, 1, 0.7, 2, 0.01, ""}, "0.57", 0.57},
        {{0, 7, 3, 0, 1, ""}, "not a number", 3},  // the slider's value stands
    };
    for (const SCase& c : cases) {
        CSliderDlg dialog;
        Prepare(dialog, c.setup);
        dialog.Edit()->setText(QString::fromUtf8(c.typed));
        dialog.accept();
        EXPECT_NEAR(c.result, dialog.Value(), 1e-12) << c.typed;
    }
}

TEST(SliderDlg, LabelsCarryTheUnitAndTheDecimals) {
    CSliderDlg dialog;
    Prepare(dialog, {80, 120, 100, 0, 1, "%"});
    EXPECT_EQ(QStringLiteral("120%"), dialog.TopLabel()->text());
    EXPECT_EQ(QStringLiteral("80%"), dialog.BottomLabel()->text());
    EXPECT_EQ(80, dialog.Slider()->minimum());
    EXPECT_EQ(120, dialog.Slider()->maximum());
    EXPECT_EQ(100, dialog.Slider()->value());
}

// A count the averaging mode fixes: shown with the reason, not changeable, and
// OK keeps the value the dialog was given.
TEST(SliderDlg, AFixedValueIsShownWithItsHintAndOkKeepsIt) {
    CSliderDlg dialog;
    dialog.SetHint(QStringLiteral("The mode sets this count."));
    dialog.SetChangeable(false);
    Prepare(dialog, {0, 12, 2, 0, 1, ""});
    EXPECT_EQ(QStringLiteral("The mode sets this count."), dialog.HintLabel()->text());
    EXPECT_FALSE(dialog.HintLabel()->isHidden());
    EXPECT_FALSE(dialog.Slider()->isEnabled());
    EXPECT_FALSE(dialog.Edit()->isEnabled());
    EXPECT_EQ(QStringLiteral("2"), dialog.Edit()->text());
    dialog.Edit()->setText(QStringLiteral("7"));
    dialog.accept();
    EXPECT_EQ(2, dialog.Value());

    CSliderDlg plain;
    Prepare(plain, {0, 12, 2, 0, 1, ""});
    EXPECT_TRUE(plain.HintLabel()->isHidden());
    EXPECT_TRUE(plain.Slider()->isEnabled());
}

// Runs with a zone that has daylight saving time, restoring the old one after.
class CZone {
  public:
    explicit CZone(const char* zone) {
        if (const char* old = getenv("TZ")) m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~CZone() {
        if (m_old.empty())
            unsetenv("TZ");
        else
            setenv("TZ", m_old.c_str(), 1);
        tzset();
    }

  private:
    std::string m_old;
};

Text::TCalendarTime Calendar(int y, int mo, int d, int h, int mi, int s) {
    Text::TCalendarTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    return t;
}

TEST(DateTimeDlg, AnOffsetAcrossADaylightSavingChangeKeepsTheWallClock) {
    CZone berlin("Europe/Berlin");
    const std::uint32_t winter = *Text::CalendarToSeriesTime(Calendar(2023, 1, 15, 10, 30, 0));
    struct SCase {
        const char* what;
        Text::TCalendarTime picked;
        std::int64_t offset;
    };
    const SCase cases[] = {
        {"winter to summer, same time", Calendar(2023, 7, 15, 10, 30, 0), 181LL * 86400},
        {"the hour that is skipped in spring", Calendar(2023, 3, 26, 2, 30, 0), 70LL * 86400 - 8 * 3600},
        {"one second later", Calendar(2023, 1, 15, 10, 30, 1), 1},
        {"a day earlier", Calendar(2023, 1, 14, 10, 30, 0), -86400},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(c.offset, CDateTimeDlg::OffsetFor(winter, c.picked).value_or(-999999)) << c.what;
        // Through the dialog's own pickers.
        CDateTimeDlg dialog(winter, 0);
        dialog.DatePicker()->setDate(QDate(c.picked.year, c.picked.month, c.picked.day));
        dialog.TimePicker()->setTime(QTime(c.picked.hour, c.picked.minute, c.picked.second));
        dialog.accept();
        EXPECT_EQ(c.offset, dialog.Offset()) << c.what;
        // Applied, the stamp reads the picked wall-clock time.
        const Text::TCalendarTime after =
            Text::SeriesTimeToCalendar(static_cast<std::uint32_t>(winter + dialog.Offset()));
        EXPECT_EQ(c.picked.hour, after.hour) << c.what;
        EXPECT_EQ(c.picked.minute, after.minute) << c.what;
    }
}

TEST(DateTimeDlg, ShowsTheStampWithSecondsAndStartsThePickersThere) {
    const std::uint32_t stamp = *Text::CalendarToSeriesTime(Calendar(2023, 5, 4, 13, 7, 9));
    // DTFormat 0: "MM/dd/yyyy" and "h:mm tt".
    CDateTimeDlg dialog(stamp, 0);
    EXPECT_EQ(QStringLiteral("05/04/2023"), dialog.DateText()->text());
    EXPECT_EQ(QStringLiteral("1:07:09 PM"), dialog.TimeText()->text());
    EXPECT_TRUE(dialog.DateText()->isReadOnly());
    EXPECT_EQ(QDate(2023, 5, 4), dialog.DatePicker()->date());
    EXPECT_EQ(QTime(13, 7, 9), dialog.TimePicker()->time());
    EXPECT_EQ(QStringLiteral("MM/dd/yyyy"), dialog.DatePicker()->displayFormat());
    EXPECT_EQ(QStringLiteral("h:mm:ss AP"), dialog.TimePicker()->displayFormat());
    // OK without a change: no offset.
    dialog.accept();
    EXPECT_EQ(0, dialog.Offset());
}

TEST(DateTimeDlg, PatternsBecomeQtDisplayFormats) {
    struct SCase {
        const char16_t* pattern;
        const char* qt;
    };
    const SCase cases[] = {
        {u"dd.MM.yyyy", "dd.MM.yyyy"},
        {u"HH:mm:ss", "HH:mm:ss"},
        {u"h:mm:sst", "h:mm:ssAP"},
        {u"H:mm", "H:mm"},
        {u"h:mm", "H:mm"},
        {u"d 'of' MMMM yy", "d 'of' MMMM yy"},
        {u"yyy-M-d", "yyyy-M-d"},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(QString::fromUtf8(c.qt), CDateTimeDlg::QtDisplayFormat(c.pattern)) << c.qt;
    EXPECT_EQ(u"h:mm:ss tt", CDateTimeDlg::WithSeconds(u"h:mm tt"));
    EXPECT_EQ(u"HH:mm:ss", CDateTimeDlg::WithSeconds(u"HH:mm"));
}

TEST(CommentDlg, EditsWithLineFeedsAndGivesBackCrLf) {
    CCommentDlg dialog(u"First line\r\nSecond \"quoted\"");
    EXPECT_EQ(QStringLiteral("First line\nSecond \"quoted\""), dialog.Edit()->toPlainText());
    dialog.Edit()->setPlainText(QStringLiteral("Wall A\nnorth side"));
    dialog.accept();
    EXPECT_EQ(u"Wall A\r\nnorth side", dialog.Text());
    // Cancel leaves the text the caller gave.
    CCommentDlg cancelled(u"kept");
    cancelled.Edit()->setPlainText(QStringLiteral("changed"));
    cancelled.reject();
    EXPECT_EQ(u"kept", cancelled.Text());
}

TEST(SeriesNotAddedDlg, TheResultIsTheCheckBox) {
    for (bool ticked : {false, true}) {
        CSeriesNotAddedDlg dialog;
        EXPECT_FALSE(dialog.DoNotShowAgain());
        dialog.CheckBox()->setChecked(ticked);
        dialog.accept();
        EXPECT_EQ(ticked, dialog.DoNotShowAgain());
    }
}

}  // namespace

namespace {

// The captions come from the string table by the tab's own ids; an id that
// another part of the program took would show that part's text here.
TEST(SmallDialogs, CaptionsAreTheirOwnTexts) {
    CCommentDlg comment(u"");
    EXPECT_EQ(QStringLiteral("Please enter a comment"), comment.windowTitle());
    CDateTimeDlg time(0, 0);
    EXPECT_EQ(QStringLiteral("Adjust time"), time.windowTitle());
    CSeriesNotAddedDlg notAdded;
    EXPECT_EQ(QStringLiteral("Series not added to summary ..."), notAdded.windowTitle());
    EXPECT_EQ(QStringLiteral("Do not show this message again."), notAdded.CheckBox()->text());
    CSliderDlg slider;
    slider.Prepare();
    EXPECT_EQ(QStringLiteral("Choose a value"), slider.windowTitle());
}

}  // namespace
