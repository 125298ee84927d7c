#include "TFormNewFirmaIzg.h"

TFormNewFirmaIzg::TFormNewFirmaIzg(vedaris::Forms &forms, QWidget *parent)
    : RefNewDialog(forms, vedaris::RefKind::Manufacturers, QStringLiteral("Новая фирма-изготовитель"),
                   QStringLiteral("Название\nфирмы:"), "RzEditNewFirmaIzg", parent)
{
    setObjectName(QStringLiteral("FormNewFirmaIzg"));
    RzEditNewFirmaIzg = nameField();
    connect(RzEditNewFirmaIzg, &QLineEdit::textChanged, this, &TFormNewFirmaIzg::RzEditNewFirmaIzgChange);
    fixSize(QSize(282, 86));
}

void TFormNewFirmaIzg::RzEditNewFirmaIzgChange()
{
    nameChanged();
}
