#pragma once

#include "ReferenceTarget.h"
#include "operations/StockOperations.h"
#include "widgets/DialogParts.h"

#include <QDialog>

class QAction;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vedaris {

class Forms;

// The receipt dialog and the edit dialog: the same fields, layout, tab order,
// filters and "Сохранить" rule, around a different save. `letter` is the
// dialog's letter in its control names: P for the receipt, E for the edit.
class BatchDialog : public QDialog, public ReferenceTarget
{
    Q_OBJECT
public:
    void setDrug(const QString &name, const QString &unit) override;
    void setSupplier(const QString &name) override;
    void setManufacturer(const QString &name) override;

protected:
    BatchDialog(Forms &forms, QChar letter, const QString &title, QWidget *parent);

    // The selection fills of the drug-name, supplier and manufacturer lists.
    void fillSelections();
    void chooseDrug();
    void chooseSupplier();
    void chooseManufacturer();
    // "Сохранить" only with a drug name, a quantity and a price.
    void updateSave();
    // The required fields, with their message; false when one is empty.
    bool validate();
    ops::BatchInput input() const;
    void fill(const StockRecord &r);
    // Every text and date emptied, "Сохранить" disabled.
    void clearAll();

    void done(int result) override;
    virtual void FormClose() { clearAll(); }

    Forms &m_forms;
    QLineEdit *m_drugName;
    QToolButton *m_chooseDrug;
    QLineEdit *m_manufacturer;
    QAction *m_chooseManufacturer;
    QLineEdit *m_supplier;
    QAction *m_chooseSupplier;
    QLineEdit *m_document;
    QLineEdit *m_series;
    QDateEdit *m_receiptDate;
    QLineEdit *m_unit;
    QLineEdit *m_quantity;
    QLineEdit *m_price;
    QDateEdit *m_expiry;
    QPushButton *m_save;
    QPushButton *m_close;
};

} // namespace vedaris
