#pragma once

namespace vedaris {

class Forms;

// The stock availability report, which starts without a parameter dialog.
void runStockAvailabilityReport(Forms &forms);

} // namespace vedaris
