#include "Clock.h"

#include <utility>

namespace vedaris {

namespace {
std::optional<QDate> fixedToday;
std::optional<QDateTime> fixedNow;
} // namespace

QDate Clock::today()
{
    return fixedNow ? fixedNow->date() : fixedToday ? *fixedToday : QDate::currentDate();
}

QDateTime Clock::now()
{
    if (fixedNow)
        return *fixedNow;
    if (fixedToday)
        return QDateTime(*fixedToday, QTime::currentTime());
    return QDateTime::currentDateTime();
}

void Clock::setFixedToday(std::optional<QDate> date)
{
    fixedToday = date;
    fixedNow.reset();
}

void Clock::setFixedNow(std::optional<QDateTime> at)
{
    fixedNow = std::move(at);
}

} // namespace vedaris
