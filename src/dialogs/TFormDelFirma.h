#pragma once

#include "ReferenceDialogs.h"

class TFormDelFirma : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelFirma(const QString &dataDir, QWidget *parent = nullptr);
};
