#pragma once

#include <QDialog>

namespace vedaris {
class Forms;
}

// Parameters of the purchases report. Filled in with its feature.
class TFormOtchetPrihodMedikamentov : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetPrihodMedikamentov(vedaris::Forms &forms, QWidget *parent = nullptr);

private:
    vedaris::Forms &m_forms;
};
