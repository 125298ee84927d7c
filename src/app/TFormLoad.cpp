#include "TFormLoad.h"

#include <QCoreApplication>
#include <QProgressBar>

TFormLoad::TFormLoad(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    Q_UNUSED(forms)
    setObjectName(QStringLiteral("FormLoad"));
    setWindowTitle(QStringLiteral("Загрузка данных"));
    setFixedSize(448, 41);
    RzProgressBar1 = new QProgressBar(this);
    RzProgressBar1->setObjectName(QStringLiteral("RzProgressBar1"));
    RzProgressBar1->setGeometry(7, 9, 433, 23);
    RzProgressBar1->setRange(0, 100);
    RzProgressBar1->setFormat(QStringLiteral("%p%"));
}

void TFormLoad::setPercent(int percent)
{
    RzProgressBar1->setValue(percent);
    // Repainting costs more than reading a percent's worth of records.
    if (isVisible() && (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() >= 40 || percent == 100)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_sinceRepaint.start();
    }
}
