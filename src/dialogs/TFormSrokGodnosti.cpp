#include "TFormSrokGodnosti.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

TFormSrokGodnosti::TFormSrokGodnosti(vedaris::Forms &forms, QWidget *parent)
    : ReportDialog(forms, parent, QStringLiteral("FormSrokGodnosti"), QStringLiteral("Отчёт о сроке годности"),
                   vedaris::reports::ReportKind::Expired)
{
    RzGroupBox1 = new QGroupBox(QStringLiteral("Проверить до этой даты"), this);
    RzGroupBox1->setObjectName(QStringLiteral("RzGroupBox1"));
    RzDateTimeEdit1 = addDate(QStringLiteral("RzDateTimeEdit1"));
    auto *box = new QVBoxLayout(RzGroupBox1);
    box->addWidget(RzDateTimeEdit1);
    fields()->addRow(RzGroupBox1);
    finishLayout();
}

vedaris::reports::ReportParams TFormSrokGodnosti::params() const
{
    vedaris::reports::ReportParams p;
    p.date = RzDateTimeEdit1->date();
    return p;
}
