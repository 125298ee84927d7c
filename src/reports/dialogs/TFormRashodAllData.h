#pragma once

#include <QDialog>

namespace vedaris {
class Forms;
}

// Parameters of the consumption report with issue dates. Filled in with its feature.
class TFormRashodAllData : public QDialog
{
    Q_OBJECT
public:
    explicit TFormRashodAllData(vedaris::Forms &forms, QWidget *parent = nullptr);

private:
    vedaris::Forms &m_forms;
};
