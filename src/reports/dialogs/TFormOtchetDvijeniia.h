#pragma once

#include <QDialog>

namespace vedaris {
class Forms;
}

// Parameters of the movement report. Filled in with its feature.
class TFormOtchetDvijeniia : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOtchetDvijeniia(vedaris::Forms &forms, QWidget *parent = nullptr);

private:
    vedaris::Forms &m_forms;
};
