#pragma once

#include "ReferenceDialogs.h"

// Picks a supplier for the receipt or edit dialog.
class TFormSelFirma : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelFirma(const QString &dataDir, QWidget *parent = nullptr);
};
