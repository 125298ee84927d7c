#pragma once

#include "ReferenceDialogs.h"

class TFormDelIzgot : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelIzgot(vedaris::Forms &forms, QWidget *parent = nullptr);
};
