#include "TFormNewPrep.h"

#include <QComboBox>
#include <QLineEdit>

TFormNewPrep::TFormNewPrep(const QString &dataDir, QWidget *parent)
    : RefNewDialog(dataDir, vedaris::RefKind::DrugNames, QStringLiteral("Новый препарат"),
                   QStringLiteral("Наименование\nпрепарата:"), "RzEditNamePrep", parent)
{
    setObjectName(QStringLiteral("FormNewPrep"));
    connect(nameField(), &QLineEdit::textChanged, this, &TFormNewPrep::RzEditNamePrepChange);

    m_units = new QComboBox(this);
    m_units->setObjectName(QStringLiteral("RzComboBoxEdIzm"));
    m_units->setEditable(true);
    m_units->setInsertPolicy(QComboBox::NoInsert);
    m_units->addItems({
        QStringLiteral("Ампулы"),
        QStringLiteral("Аэрозоли"),
        QStringLiteral("Баллоны"),
        QStringLiteral("Граммы"),
        QStringLiteral("Драже"),
        QStringLiteral("Капсулы"),
        QStringLiteral("Литры"),
        QStringLiteral("Метры"),
        QStringLiteral("Миллилитры"),
        QStringLiteral("Сантиметры"),
        QStringLiteral("Свечи"),
        QStringLiteral("Таблетки"),
        QStringLiteral("Туба"),
        QStringLiteral("Тюбик"),
        QStringLiteral("Упаковки"),
        QStringLiteral("Флаконы"),
        QStringLiteral("Штуки"),
    });
    m_units->setCurrentText(QStringLiteral("Таблетки"));
    addRow(QStringLiteral("Единица\nизмерения:"), m_units);
    fixSize(QSize(313, 110));
}

void TFormNewPrep::RzEditNamePrepChange()
{
    nameChanged();
}

void TFormNewPrep::done(int result)
{
    RefNewDialog::done(result);
    nameField()->clear();
}

QString TFormNewPrep::unitText() const
{
    return m_units->currentText();
}
