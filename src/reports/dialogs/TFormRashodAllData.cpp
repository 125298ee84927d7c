#include "TFormRashodAllData.h"

TFormRashodAllData::TFormRashodAllData(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormRashodAllData"));
    setWindowTitle(QStringLiteral("Общий расход с выводом даты"));
}
