#pragma once

#include "ReferenceDialogs.h"

class TFormDelMove : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelMove(const QString &dataDir, QWidget *parent = nullptr);
};
