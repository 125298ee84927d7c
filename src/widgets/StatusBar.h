#pragma once

#include <QStatusBar>

class QLabel;
class QProgressBar;

namespace vedaris {

// The main window's status bar and everything shown on it: the stock figures,
// a report's progress, which takes the whole bar while the report runs, and
// the day's backup's progress at the right end.
class StatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent = nullptr);

public slots:
    void showFigures(const QString &text);
    void showReportProgress(int percent);
    void hideReportProgress();
    void showBackupProgress(int percent);
    void hideBackupProgress();

private:
    QLabel *m_figures;
    QProgressBar *m_report;
    QProgressBar *m_backup = nullptr; // while a copy runs
    bool m_reportShown = false;
};

} // namespace vedaris
