#include "TFormNewMove.h"

TFormNewMove::TFormNewMove(vedaris::Forms &forms, QWidget *parent)
    : RefNewDialog(forms, vedaris::RefKind::Departments, QStringLiteral("Новое перемещение"),
                   QStringLiteral("Название:"), "RzEditNewMove", parent)
{
    setObjectName(QStringLiteral("FormNewMove"));
    RzEditNewMove = nameField();
    connect(RzEditNewMove, &QLineEdit::textChanged, this, &TFormNewMove::RzEditNewMoveChange);
    fixSize(QSize(282, 86));
}

void TFormNewMove::RzEditNewMoveChange()
{
    nameChanged();
}
