#pragma once

#include "store/Records.h"

#include <QString>

class QWidget;

namespace vedaris::ui {

// The issue's and the write-off's checks on the typed quantity against the
// batch, with their messages over `dialog`. False when the save must stop.
bool issueQuantityAccepted(QWidget *dialog, const StockRecord &batch, const QString &quantity);

} // namespace vedaris::ui
