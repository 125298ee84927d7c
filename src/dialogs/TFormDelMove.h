#pragma once

#include "ReferenceDialogs.h"

class TFormDelMove : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelMove(vedaris::Forms &forms, QWidget *parent = nullptr);
};
