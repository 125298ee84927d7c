#pragma once

#include <QDialog>
#include "ReferenceTarget.h"

namespace vedaris {
class Forms;
}

// The issue dialog. Filled in with its feature.
class TFormRashod : public QDialog, public vedaris::ReferenceTarget
{
    Q_OBJECT
public:
    explicit TFormRashod(vedaris::Forms &forms, QWidget *parent = nullptr);
    void startIssue();

private:
    vedaris::Forms &m_forms;
};
