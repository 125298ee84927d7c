#include "ReportWindows.h"

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

TFormAllRashod::TFormAllRashod(const QString &dataDir, const vedaris::ReportProgress &progress,
                               QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormAllRashod"),
                   QStringLiteral("Общий расход медикаментов"),
                   vedaris::reports::ReportKind::Consumption)
{
    finishLayout();
}

TFormRashodAllData::TFormRashodAllData(const QString &dataDir,
                                       const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormRashodAllData"),
                   QStringLiteral("Общий расход с выводом даты"),
                   vedaris::reports::ReportKind::IssueDates)
{
    finishLayout();
}

TFormOtchetPrihodMedikamentov::TFormOtchetPrihodMedikamentov(
    const QString &dataDir, const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormOtchetPrihodMedikamentov"),
                   QStringLiteral("Приобретённые медикаменты"),
                   vedaris::reports::ReportKind::Purchases)
{
    finishLayout();
}

TFormOtchetPolIzr::TFormOtchetPolIzr(const QString &dataDir,
                                     const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormOtchetPolIzr"),
                   QStringLiteral("Отчёт по всем отделениям"),
                   vedaris::reports::ReportKind::Departments)
{
    finishLayout();
}

TFormOtchetDvijeniia::TFormOtchetDvijeniia(const QString &dataDir,
                                           const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormOtchetDvijeniia"),
                   QStringLiteral("Перемещение медикаментов"),
                   vedaris::reports::ReportKind::Movement)
{
    finishLayout();
}
