#pragma once

#include "ReferenceDialogs.h"

class TFormNewFirma : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewFirma(const QString &dataDir, QWidget *parent = nullptr);

public slots:
    void RzEditNewFirmaChange();
};
