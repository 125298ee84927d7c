#pragma once

#include "ReferenceDialogs.h"

class TFormDelIzgot : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelIzgot(const QString &dataDir, QWidget *parent = nullptr);
};
