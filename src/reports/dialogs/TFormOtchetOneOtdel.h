#pragma once

#include <QDialog>

namespace vedaris {
class Forms;
}

// Parameters of the one-department report. Filled in with its feature.
class TFormOtchetOneOtdel : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetOneOtdel(vedaris::Forms &forms, QWidget *parent = nullptr);
    void fillDepartmentsAndShow();

private:
    vedaris::Forms &m_forms;
};
