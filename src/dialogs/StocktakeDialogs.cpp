#include "StocktakeDialogs.h"

#include "store/ReferenceLists.h"
#include "store/TextFormats.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <algorithm>

using namespace vedaris;

TFormOpis::TFormOpis(const QString &dataDir, const ReportProgress &progress, QWidget *parent)
    : ReportDialog(dataDir, progress, parent, QStringLiteral("FormOpis"),
                   QStringLiteral("Инвентаризационная опись"), reports::ReportKind::Inventory)
{
    m_date = addDate(QStringLiteral("RzDateTimeEditDate"));
    fields()->addRow(QStringLiteral("На дату:"), m_date);
    m_blind = new QCheckBox(QStringLiteral("без данных учёта (для комиссии)"), this);
    m_blind->setObjectName(QStringLiteral("RzCheckBoxSlepaia"));
    fields()->addRow(m_blind);
    finishLayout();
}

reports::ReportParams TFormOpis::params() const
{
    reports::ReportParams p;
    p.date = m_date->date();
    p.blind = m_blind->isChecked();
    return p;
}

TFormAktSpisaniia::TFormAktSpisaniia(const QString &dataDir, const ReportProgress &progress,
                                     QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormAktSpisaniia"),
                   QStringLiteral("Акт о списании"), reports::ReportKind::WriteOffAct)
{
    finishLayout();
}

TFormTrebovanie::TFormTrebovanie(const QString &dataDir, const ReportProgress &progress,
                                 QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormTrebovanie"),
                   QStringLiteral("Требование-накладная"), reports::ReportKind::Requisition)
{
    m_departments = new QComboBox(this);
    m_departments->setObjectName(QStringLiteral("RzComboBoxMoveOtd"));
    m_departments->setEditable(true);
    m_departments->setInsertPolicy(QComboBox::NoInsert);
    m_departments->setMinimumContentsLength(
        int(QStringLiteral("Списание: Истёк срок годности").size()));
    m_departments->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fields()->addRow(QStringLiteral("Отделение:"), m_departments);
    finishLayout();
}

void TFormTrebovanie::fillDepartments()
{
    m_departments->clear();
    QStringList names = ReferenceList(m_dataDir, RefKind::Departments).liveNames();
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return text::compareRussian(a, b) < 0;
    });
    m_departments->addItems(names);
    m_departments->setCurrentIndex(names.isEmpty() ? -1 : 0);
}

reports::ReportParams TFormTrebovanie::params() const
{
    reports::ReportParams p = PeriodDialog::params();
    p.department = m_departments->currentText();
    return p;
}
