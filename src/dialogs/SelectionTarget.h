#pragma once

#include "ReferenceTarget.h"

namespace vedaris {

class Forms;

// The receipt dialog while it is showing, else the edit dialog.
ReferenceTarget *receiptOrEditTarget(Forms &forms);

} // namespace vedaris
