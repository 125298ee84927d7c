#pragma once

#include <QDialog>
#include "ReferenceTarget.h"

namespace vedaris {
class Forms;
}

// The receipt dialog. Filled in with its feature.
class TFormPrihod : public QDialog, public vedaris::ReferenceTarget
{
    Q_OBJECT
public:
    explicit TFormPrihod(vedaris::Forms &forms, QWidget *parent = nullptr);

private:
    vedaris::Forms &m_forms;
};
