#include "TFormOtchetOneOtdel.h"

#include "store/ReferenceLists.h"
#include "store/TextFormats.h"

#include <QComboBox>
#include <QFormLayout>
#include <algorithm>

TFormOtchetOneOtdel::TFormOtchetOneOtdel(const QString &dataDir,
                                         const vedaris::ReportProgress &progress, QWidget *parent)
    : PeriodDialog(dataDir, progress, parent, QStringLiteral("FormOtchetOneOtdel"),
                   QStringLiteral("Расход по отделению"), vedaris::reports::ReportKind::Department)
{
    m_departments = new QComboBox(this);
    m_departments->setObjectName(QStringLiteral("RzComboBoxMoveOtd"));
    m_departments->setEditable(true);
    m_departments->setInsertPolicy(QComboBox::NoInsert);
    m_departments->setMinimumContentsLength(20);
    // Wide enough for the longest names the program itself makes.
    m_departments->setMinimumContentsLength(
        int(QStringLiteral("Списание: Истёк срок годности").size()));
    m_departments->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fields()->addRow(QStringLiteral("Отделение:"), m_departments);
    finishLayout();
}

void TFormOtchetOneOtdel::fillDepartments()
{
    m_departments->clear();
    struct SelectFirst
    {
        QComboBox *box;
        ~SelectFirst() { box->setCurrentIndex(box->count() > 0 ? 0 : -1); }
    } selectFirst{m_departments};
    QStringList names =
        vedaris::ReferenceList(m_dataDir, vedaris::RefKind::Departments).liveNames();
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return vedaris::text::compareRussian(a, b) < 0;
    });
    m_departments->addItems(names);
}

vedaris::reports::ReportParams TFormOtchetOneOtdel::params() const
{
    vedaris::reports::ReportParams p = PeriodDialog::params();
    p.department = m_departments->currentText();
    return p;
}
