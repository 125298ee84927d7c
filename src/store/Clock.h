#pragma once

#include <QDate>
#include <optional>

namespace vedaris {

// Today's date for the whole program; tests fix it.
class Clock
{
public:
    static QDate today();
    static void setFixedToday(std::optional<QDate> date);
};

} // namespace vedaris
