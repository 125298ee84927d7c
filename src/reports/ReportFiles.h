#pragma once

#include <QDateTime>
#include <QString>

namespace vedaris {

// Where finished workbooks go unless set: "Ведарис отчёты" in the user's
// documents folder (the home folder when there is none).
QString reportsFolder();
void setReportsFolder(const QString &folder); // empty restores the default

// A new file in `folder` for a workbook titled `title`, made at `made`: the
// title, with what no file name may hold replaced by "_", and the time, so
// that the spreadsheet's title bar names it; " (2)", " (3)" … added while
// the name is taken. The folder is created; an Error when it cannot be.
QString newWorkbookPath(const QString &folder, const QString &title,
                        const QDateTime &made = QDateTime::currentDateTime());

} // namespace vedaris
