#include "TFormLoad.h"

#include <QCoreApplication>
#include <QProgressBar>

TFormLoad::TFormLoad(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormLoad"));
    setWindowTitle(QStringLiteral("Загрузка данных"));
    setFixedSize(448, 41);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("RzProgressBar1"));
    m_bar->setGeometry(7, 9, 433, 23);
    m_bar->setRange(0, 100);
    m_bar->setFormat(QStringLiteral("%p%"));
}

void TFormLoad::setPercent(int percent)
{
    m_bar->setValue(percent);
    // Repainting costs more than reading a percent's worth of records.
    if (isVisible()
        && (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() >= 40 || percent == 100)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_sinceRepaint.start();
    }
}
