#pragma once

#include "reports/ReportEngine.h"

#include <QDate>
#include <QString>

namespace vedaris::reports {

namespace messages {
inline const QString NoDeletions = QStringLiteral("За этот период не удалено ни одной партии!");
} // namespace messages

// "Удалённые партии и выдачи": every batch deleted between `start` and
// `finish` (the days of the deletions), each followed by the issues removed
// with it, as the history (Vedaris.history) keeps them: what they held just
// before the deletion.
Outcome deletionsReport(const QString &dataDir, const QDate &start, const QDate &finish);

} // namespace vedaris::reports
