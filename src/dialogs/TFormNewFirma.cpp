#include "TFormNewFirma.h"

TFormNewFirma::TFormNewFirma(vedaris::Forms &forms, QWidget *parent)
    : RefNewDialog(forms, vedaris::RefKind::Suppliers, QStringLiteral("Новая фирма-поставщик"),
                   QStringLiteral("Название\nфирмы:"), "RzEditNewFirma", parent)
{
    setObjectName(QStringLiteral("FormNewFirma"));
    RzEditNewFirma = nameField();
    connect(RzEditNewFirma, &QLineEdit::textChanged, this, &TFormNewFirma::RzEditNewFirmaChange);
    fixSize(QSize(282, 86));
}

void TFormNewFirma::RzEditNewFirmaChange()
{
    nameChanged();
}
