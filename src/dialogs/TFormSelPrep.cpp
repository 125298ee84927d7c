#include "TFormSelPrep.h"

TFormSelPrep::TFormSelPrep(const QString &dataDir, QWidget *parent)
    : RefSelectDialog(
        dataDir, vedaris::RefKind::DrugNames, QStringLiteral("Выбор препарата"),
        {{QStringLiteral("Наименование препарата"), 100}, {QStringLiteral("Ед. измерения"), 100}},
        parent)
{
    setObjectName(QStringLiteral("FormSelPrep"));
}
