#pragma once

#include "ReferenceDialogs.h"

// Picks a department for the issue dialog.
class TFormSelMove : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelMove(const QString &dataDir, QWidget *parent = nullptr);
};
