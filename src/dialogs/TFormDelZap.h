#pragma once

#include <QDialog>

namespace vedaris {
class Forms;
}

// The confirmation of a stock record's deletion. Filled in with its feature.
class TFormDelZap : public QDialog
{
    Q_OBJECT
public:
    explicit TFormDelZap(vedaris::Forms &forms, QWidget *parent = nullptr);

private:
    vedaris::Forms &m_forms;
};
