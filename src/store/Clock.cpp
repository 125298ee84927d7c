#include "Clock.h"

namespace vedaris {

namespace {
std::optional<QDate> fixedToday;
}

QDate Clock::today()
{
    return fixedToday ? *fixedToday : QDate::currentDate();
}

void Clock::setFixedToday(std::optional<QDate> date)
{
    fixedToday = date;
}

} // namespace vedaris
