#include "TFormNewFirma.h"

#include <QLineEdit>

TFormNewFirma::TFormNewFirma(const QString &dataDir, QWidget *parent)
    : RefNewDialog(dataDir, vedaris::RefKind::Suppliers, QStringLiteral("Новая фирма-поставщик"),
                   QStringLiteral("Название\nфирмы:"), "RzEditNewFirma", parent)
{
    setObjectName(QStringLiteral("FormNewFirma"));
    connect(nameField(), &QLineEdit::textChanged, this, &TFormNewFirma::RzEditNewFirmaChange);
    fixSize(QSize(282, 86));
}

void TFormNewFirma::RzEditNewFirmaChange()
{
    nameChanged();
}
