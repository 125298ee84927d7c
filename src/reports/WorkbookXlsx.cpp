#include "reports/WorkbookImpl.h"

#include "store/Error.h"

namespace vedaris::reports {

void Workbook::saveXlsx(const QString &path) const
{
    throw Error(path, QStringLiteral("not written yet"));
}

} // namespace vedaris::reports
