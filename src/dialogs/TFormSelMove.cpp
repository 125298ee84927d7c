#include "TFormSelMove.h"

TFormSelMove::TFormSelMove(const QString &dataDir, QWidget *parent)
    : RefSelectDialog(dataDir, vedaris::RefKind::Departments, QStringLiteral("Выбор перемещения"),
                      {{QStringLiteral("Список вариантов перемещения"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelMove"));
}
