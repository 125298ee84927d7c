#pragma once

#include "ReferenceDialogs.h"

class TFormNewFirma : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewFirma(vedaris::Forms &forms, QWidget *parent = nullptr);

    QLineEdit *RzEditNewFirma = nullptr;

public slots:
    void RzEditNewFirmaChange();
};
