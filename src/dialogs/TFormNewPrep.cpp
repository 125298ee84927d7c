#include "TFormNewPrep.h"

#include <QComboBox>

TFormNewPrep::TFormNewPrep(vedaris::Forms &forms, QWidget *parent)
    : RefNewDialog(forms, vedaris::RefKind::DrugNames, QStringLiteral("Новый препарат"),
                   QStringLiteral("Наименование\nпрепарата:"), "RzEditNamePrep", parent)
{
    setObjectName(QStringLiteral("FormNewPrep"));
    RzEditNamePrep = nameField();
    connect(RzEditNamePrep, &QLineEdit::textChanged, this, &TFormNewPrep::RzEditNamePrepChange);

    RzComboBoxEdIzm = new QComboBox(this);
    RzComboBoxEdIzm->setObjectName(QStringLiteral("RzComboBoxEdIzm"));
    RzComboBoxEdIzm->setEditable(true);
    RzComboBoxEdIzm->setInsertPolicy(QComboBox::NoInsert);
    RzComboBoxEdIzm->addItems({
        QStringLiteral("Ампулы"), QStringLiteral("Аэрозоли"), QStringLiteral("Баллоны"),
        QStringLiteral("Граммы"), QStringLiteral("Драже"), QStringLiteral("Капсулы"),
        QStringLiteral("Литры"), QStringLiteral("Метры"), QStringLiteral("Миллилитры"),
        QStringLiteral("Сантиметры"), QStringLiteral("Свечи"), QStringLiteral("Таблетки"),
        QStringLiteral("Туба"), QStringLiteral("Тюбик"), QStringLiteral("Упаковки"),
        QStringLiteral("Флаконы"), QStringLiteral("Штуки"),
    });
    RzComboBoxEdIzm->setCurrentText(QStringLiteral("Таблетки"));
    addRow(QStringLiteral("Единица\nизмерения:"), RzComboBoxEdIzm);
    fixSize(QSize(313, 110));
}

void TFormNewPrep::RzEditNamePrepChange()
{
    nameChanged();
}

void TFormNewPrep::done(int result)
{
    RefNewDialog::done(result);
    RzEditNamePrep->clear();
}

QString TFormNewPrep::unitText() const
{
    return RzComboBoxEdIzm->currentText();
}
