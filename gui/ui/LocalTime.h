#pragma once
// The local wall-clock time now, as the text formatter takes it.
#include <QDateTime>

#include "text/DateTimeFormat.h"

inline Text::TCalendarTime LocalCalendarNow() {
    const QDateTime now = QDateTime::currentDateTime();
    Text::TCalendarTime t;
    t.year = now.date().year();
    t.month = now.date().month();
    t.day = now.date().day();
    t.hour = now.time().hour();
    t.minute = now.time().minute();
    t.second = now.time().second();
    t.dayOfWeek = now.date().dayOfWeek() % 7;
    return t;
}
