#pragma once

#include <QDialog>

class QProgressBar;

namespace vedaris {
class Forms;
}

// The loading window, on screen while the stock list is filled.
class TFormLoad : public QDialog
{
    Q_OBJECT
public:
    explicit TFormLoad(vedaris::Forms &forms, QWidget *parent = nullptr);

    // Shows the percentage and lets the window repaint.
    void setPercent(int percent);

    QProgressBar *RzProgressBar1 = nullptr;
};
