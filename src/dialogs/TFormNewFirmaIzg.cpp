#include "TFormNewFirmaIzg.h"

#include <QLineEdit>

TFormNewFirmaIzg::TFormNewFirmaIzg(const QString &dataDir, QWidget *parent)
    : RefNewDialog(dataDir, vedaris::RefKind::Manufacturers,
                   QStringLiteral("Новая фирма-изготовитель"), QStringLiteral("Название\nфирмы:"),
                   "RzEditNewFirmaIzg", parent)
{
    setObjectName(QStringLiteral("FormNewFirmaIzg"));
    connect(nameField(), &QLineEdit::textChanged, this, &TFormNewFirmaIzg::RzEditNewFirmaIzgChange);
    fixSize(QSize(282, 86));
}

void TFormNewFirmaIzg::RzEditNewFirmaIzgChange()
{
    nameChanged();
}
