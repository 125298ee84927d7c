#pragma once

#include "ReferenceDialogs.h"

// Picks a drug name with its unit for the receipt or edit dialog.
class TFormSelPrep : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelPrep(const QString &dataDir, QWidget *parent = nullptr);
};
