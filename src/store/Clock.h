#pragma once

#include <QDate>
#include <QDateTime>
#include <optional>

namespace vedaris {

// Today's date and the time for the whole program; tests fix them.
class Clock
{
public:
    static QDate today();
    static QDateTime now();
    static void setFixedToday(std::optional<QDate> date);
    // Fixes the date and the time; the date of `at` is today's.
    static void setFixedNow(std::optional<QDateTime> at);
};

} // namespace vedaris
