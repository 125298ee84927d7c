#include "TFormOtchetOneOtdel.h"

#include "app/Forms.h"
#include "store/ReferenceLists.h"
#include "store/TextFormats.h"

#include <QComboBox>
#include <QFormLayout>
#include <algorithm>

TFormOtchetOneOtdel::TFormOtchetOneOtdel(vedaris::Forms &forms, QWidget *parent)
    : PeriodDialog(forms, parent, QStringLiteral("FormOtchetOneOtdel"), QStringLiteral("Расход по отделению"),
                   vedaris::reports::ReportKind::Department)
{
    RzComboBoxMoveOtd = new QComboBox(this);
    RzComboBoxMoveOtd->setObjectName(QStringLiteral("RzComboBoxMoveOtd"));
    RzComboBoxMoveOtd->setEditable(true);
    RzComboBoxMoveOtd->setInsertPolicy(QComboBox::NoInsert);
    RzComboBoxMoveOtd->setMinimumContentsLength(20);
    fields()->addRow(QStringLiteral("Отделение:"), RzComboBoxMoveOtd);
    finishLayout();
}

void TFormOtchetOneOtdel::fillDepartments()
{
    RzComboBoxMoveOtd->clear();
    struct SelectFirst
    {
        QComboBox *box;
        ~SelectFirst() { box->setCurrentIndex(box->count() > 0 ? 0 : -1); }
    } selectFirst{RzComboBoxMoveOtd};
    QStringList names = vedaris::ReferenceList(m_forms.dataDir(), vedaris::RefKind::Departments).liveNames();
    std::stable_sort(names.begin(), names.end(),
                     [](const QString &a, const QString &b) { return vedaris::text::compareRussian(a, b) < 0; });
    RzComboBoxMoveOtd->addItems(names);
}

void TFormOtchetOneOtdel::fillDepartmentsAndShow()
{
    fillDepartments();
    exec();
}

vedaris::reports::ReportParams TFormOtchetOneOtdel::params() const
{
    vedaris::reports::ReportParams p = PeriodDialog::params();
    p.department = RzComboBoxMoveOtd->currentText();
    return p;
}
