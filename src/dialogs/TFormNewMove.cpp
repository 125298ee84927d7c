#include "TFormNewMove.h"

#include <QLineEdit>

TFormNewMove::TFormNewMove(const QString &dataDir, QWidget *parent)
    : RefNewDialog(dataDir, vedaris::RefKind::Departments, QStringLiteral("Новое перемещение"),
                   QStringLiteral("Название:"), "RzEditNewMove", parent)
{
    setObjectName(QStringLiteral("FormNewMove"));
    connect(nameField(), &QLineEdit::textChanged, this, &TFormNewMove::RzEditNewMoveChange);
    fixSize(QSize(282, 86));
}

void TFormNewMove::RzEditNewMoveChange()
{
    nameChanged();
}
