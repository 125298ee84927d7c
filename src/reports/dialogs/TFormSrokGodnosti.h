#pragma once

#include <QDialog>

namespace vedaris {
class Forms;
}

// Parameters of the expired stock report. Filled in with its feature.
class TFormSrokGodnosti : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSrokGodnosti(vedaris::Forms &forms, QWidget *parent = nullptr);

private:
    vedaris::Forms &m_forms;
};
