#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QProgressBar;

// The loading window, on screen while the stock list is filled.
class TFormLoad : public QDialog
{
    Q_OBJECT
public:
    explicit TFormLoad(QWidget *parent = nullptr);

    // Shows the percentage; the window repaints a few times a second.
    void setPercent(int percent);

private:
    QProgressBar *m_bar;
    QElapsedTimer m_sinceRepaint;
};
