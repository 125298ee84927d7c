#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vedaris {
class Forms;
}

// Asks before a stock line and all its issues are deleted.
class TFormDelZap : public QDialog
{
    Q_OBJECT
public:
    explicit TFormDelZap(vedaris::Forms &forms, QWidget *parent = nullptr);

    QLabel *RzLabel1;
    QPushButton *RzBitBtnDel;
    QPushButton *RzBitBtnCancel;

public slots:
    void RzBitBtnDelClick();
    void RzBitBtnCancelClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    vedaris::Forms &m_forms;
};
