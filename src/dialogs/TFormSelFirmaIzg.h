#pragma once

#include "ReferenceDialogs.h"

// Picks a manufacturer for the receipt or edit dialog.
class TFormSelFirmaIzg : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelFirmaIzg(const QString &dataDir, QWidget *parent = nullptr);
};
