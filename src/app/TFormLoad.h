#pragma once

#include <QDialog>
#include <QElapsedTimer>

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

    // Shows the percentage; the window repaints a few times a second.
    void setPercent(int percent);

    QProgressBar *RzProgressBar1 = nullptr;

private:
    QElapsedTimer m_sinceRepaint;
};
