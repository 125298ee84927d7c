#include "ReferenceWindows.h"

#include <QLineEdit>

using Column = vedaris::ListView::Column;

TFormSelPrep::TFormSelPrep(const QString &dataDir, QWidget *parent)
    : RefSelectDialog(
        dataDir, vedaris::RefKind::DrugNames, QStringLiteral("Выбор препарата"),
        {{QStringLiteral("Наименование препарата"), 100}, {QStringLiteral("Ед. измерения"), 100}},
        parent)
{
    setObjectName(QStringLiteral("FormSelPrep"));
}

TFormSelFirma::TFormSelFirma(const QString &dataDir, QWidget *parent)
    : RefSelectDialog(dataDir, vedaris::RefKind::Suppliers,
                      QStringLiteral("Выбор фирмы-поставщика"),
                      {{QStringLiteral("Название фирмы-поставщика"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelFirma"));
}

TFormSelFirmaIzg::TFormSelFirmaIzg(const QString &dataDir, QWidget *parent)
    : RefSelectDialog(dataDir, vedaris::RefKind::Manufacturers,
                      QStringLiteral("Выбор фирмы-изготовителя"),
                      {{QStringLiteral("Название фирмы-изготовителя"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelFirmaIzg"));
}

TFormSelMove::TFormSelMove(const QString &dataDir, QWidget *parent)
    : RefSelectDialog(dataDir, vedaris::RefKind::Departments, QStringLiteral("Выбор перемещения"),
                      {{QStringLiteral("Список вариантов перемещения"), 300}}, parent)
{
    setObjectName(QStringLiteral("FormSelMove"));
}

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

TFormDelPrep::TFormDelPrep(const QString &dataDir, QWidget *parent)
    : RefDeleteDialog(dataDir, vedaris::RefKind::DrugNames, QStringLiteral("Удаление препарата"),
                      {{QStringLiteral("Наименование препарата"), 100},
                       {QStringLiteral("Ед. измерения"), 100},
                       {QString(), 0, Column::Hidden},
                       {QString(), 1, Column::OnePixel}},
                      parent)
{
    setObjectName(QStringLiteral("FormDelPrep"));
}

TFormDelFirma::TFormDelFirma(const QString &dataDir, QWidget *parent)
    : RefDeleteDialog(dataDir, vedaris::RefKind::Suppliers,
                      QStringLiteral("Удаление фирмы-поставщика"),
                      {{QStringLiteral("Название фирмы"), 100},
                       {QString(), 0, Column::Hidden},
                       {QString(), 1, Column::OnePixel}},
                      parent)
{
    setObjectName(QStringLiteral("FormDelFirma"));
}

TFormDelIzgot::TFormDelIzgot(const QString &dataDir, QWidget *parent)
    : RefDeleteDialog(dataDir, vedaris::RefKind::Manufacturers,
                      QStringLiteral("Удаление фирмы-изготовителя"),
                      {{QStringLiteral("Название фирмы"), 100},
                       {QString(), 0, Column::Hidden},
                       {QString(), 1, Column::OnePixel}},
                      parent)
{
    setObjectName(QStringLiteral("FormDelIzgot"));
}

TFormDelMove::TFormDelMove(const QString &dataDir, QWidget *parent)
    : RefDeleteDialog(dataDir, vedaris::RefKind::Departments,
                      QStringLiteral("Удаление перемещения"),
                      {{QStringLiteral("Название"), 100},
                       {QString(), 0, Column::Hidden},
                       {QString(), 1, Column::OnePixel}},
                      parent)
{
    setObjectName(QStringLiteral("FormDelMove"));
}
