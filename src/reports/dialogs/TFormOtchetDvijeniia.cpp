#include "TFormOtchetDvijeniia.h"

TFormOtchetDvijeniia::TFormOtchetDvijeniia(vedaris::Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormOtchetDvijeniia"));
    setWindowTitle(QStringLiteral("Перемещение медикаментов"));
}
