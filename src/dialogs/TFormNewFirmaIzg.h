#pragma once

#include "ReferenceDialogs.h"

class TFormNewFirmaIzg : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewFirmaIzg(const QString &dataDir, QWidget *parent = nullptr);

public slots:
    void RzEditNewFirmaIzgChange();
};
