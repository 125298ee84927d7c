#pragma once

#include "ReferenceDialogs.h"

class TFormNewFirmaIzg : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewFirmaIzg(vedaris::Forms &forms, QWidget *parent = nullptr);

    QLineEdit *RzEditNewFirmaIzg = nullptr;

public slots:
    void RzEditNewFirmaIzgChange();
};
