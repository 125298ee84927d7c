#pragma once

#include "ReferenceDialogs.h"

class TFormDelFirma : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelFirma(vedaris::Forms &forms, QWidget *parent = nullptr);
};
