#pragma once

#include "ReferenceDialogs.h"

class TFormDelPrep : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelPrep(const QString &dataDir, QWidget *parent = nullptr);
};
