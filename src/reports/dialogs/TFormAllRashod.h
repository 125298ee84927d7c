#pragma once

#include <QDialog>

namespace vedaris {
class Forms;
}

// Parameters of the consumption report. Filled in with its feature.
class TFormAllRashod : public QDialog
{
    Q_OBJECT
public:
    explicit TFormAllRashod(vedaris::Forms &forms, QWidget *parent = nullptr);

private:
    vedaris::Forms &m_forms;
};
