#pragma once

#include <QDialog>
#include "ReferenceTarget.h"

namespace vedaris {
class Forms;
}

// The edit dialog. Filled in with its feature.
class TFormEdit : public QDialog, public vedaris::ReferenceTarget
{
    Q_OBJECT
public:
    explicit TFormEdit(vedaris::Forms &forms, QWidget *parent = nullptr);
    void startEdit();

private:
    vedaris::Forms &m_forms;
};
