#include "TFormSrokGodnosti.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

TFormSrokGodnosti::TFormSrokGodnosti(const QString &dataDir,
                                     const vedaris::ReportProgress &progress, QWidget *parent)
    : ReportDialog(dataDir, progress, parent, QStringLiteral("FormSrokGodnosti"),
                   QStringLiteral("Отчёт о сроке годности"), vedaris::reports::ReportKind::Expired)
{
    auto *group = new QGroupBox(QStringLiteral("Проверить до этой даты"), this);
    group->setObjectName(QStringLiteral("RzGroupBox1"));
    m_date = addDate(QStringLiteral("RzDateTimeEdit1"));
    auto *box = new QVBoxLayout(group);
    box->addWidget(m_date);
    fields()->addRow(group);
    finishLayout();
}

vedaris::reports::ReportParams TFormSrokGodnosti::params() const
{
    vedaris::reports::ReportParams p;
    p.date = m_date->date();
    return p;
}
