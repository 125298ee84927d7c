#pragma once

#include <QDialog>

namespace vedaris {
class Forms;
}

// Parameters of the all-departments report. Filled in with its feature.
class TFormOtchetPolIzr : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetPolIzr(vedaris::Forms &forms, QWidget *parent = nullptr);

private:
    vedaris::Forms &m_forms;
};
