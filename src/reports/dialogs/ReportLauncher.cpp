#include "ReportLauncher.h"

#include <QtGlobal>

namespace vedaris {

void runStockAvailabilityReport(Forms &forms)
{
    Q_UNUSED(forms)
}

} // namespace vedaris
