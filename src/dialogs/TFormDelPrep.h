#pragma once

#include "ReferenceDialogs.h"

class TFormDelPrep : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelPrep(vedaris::Forms &forms, QWidget *parent = nullptr);
};
