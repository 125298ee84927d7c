#include "StatusBar.h"

#include <QLabel>
#include <QProgressBar>

namespace vedaris {

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("RzStatusBar1"));
    setMinimumHeight(19);
    m_figures = new QLabel(this);
    m_figures->setObjectName(QStringLiteral("RzLabelSklad"));
    m_figures->setContentsMargins(4, 0, 4, 0);
    addWidget(m_figures, 1);
    m_report = new QProgressBar(this);
    m_report->setObjectName(QStringLiteral("RzProgressBar1"));
    m_report->setRange(0, 100);
    m_report->setMaximumHeight(17);
    addWidget(m_report, 1);
    m_report->hide();
}

void StatusBar::showFigures(const QString &text)
{
    m_figures->setText(text);
}

void StatusBar::showReportProgress(int percent)
{
    m_report->setValue(percent);
    if (m_reportShown)
        return;
    m_reportShown = true;
    // The figures and a backup's progress step aside until the report is done.
    m_figures->hide();
    if (m_backup)
        m_backup->hide();
    m_report->show();
}

void StatusBar::hideReportProgress()
{
    m_report->hide();
    m_reportShown = false;
    m_figures->show();
    if (m_backup)
        m_backup->show();
}

void StatusBar::showBackupProgress(int percent)
{
    if (!m_backup) {
        m_backup = new QProgressBar(this);
        m_backup->setObjectName(QStringLiteral("BackupProgress"));
        m_backup->setFormat(QStringLiteral("Резервная копия данных: %p%"));
        m_backup->setMaximumHeight(17);
        addPermanentWidget(m_backup);
        m_backup->setVisible(!m_reportShown);
    }
    m_backup->setValue(percent);
}

void StatusBar::hideBackupProgress()
{
    delete std::exchange(m_backup, nullptr);
}

} // namespace vedaris
