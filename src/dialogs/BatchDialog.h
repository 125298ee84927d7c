#pragma once

#include "operations/StockOperations.h"

#include <QDialog>
#include <functional>
#include <optional>

class QAction;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vedaris {

class BatchFields;
class RefSelectDialog;

// The receipt dialog and the edit dialog: the same fields, layout, tab order,
// filters and "Сохранить" rule, around a different save. `letter` is the
// dialog's letter in its control names: P for the receipt, E for the edit.
class BatchDialog : public QDialog
{
    Q_OBJECT
public:
    // The selection dialogs it fills when shown and opens from its fields.
    void setSelectionDialogs(RefSelectDialog *drugs, RefSelectDialog *suppliers,
                             RefSelectDialog *manufacturers);

protected:
    BatchDialog(const QString &dataDir, QChar letter, const QString &title, QWidget *parent);

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
    // Runs the dialog modally: what the save stored, or nothing when closed.
    std::optional<ops::StoredBatch> runUntilStored();
    // The save's end: `store` writes the batch; on success the dialog closes
    // with it, on failure the error is shown and the dialog stays.
    void saveWith(const std::function<ops::StoredBatch()> &store);

    void done(int result) override;
    virtual void FormClose() { clearAll(); }

    QString m_dataDir;
    BatchFields *m_fields;
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

private:
    RefSelectDialog *m_drugs = nullptr;
    RefSelectDialog *m_suppliers = nullptr;
    RefSelectDialog *m_manufacturers = nullptr;
    std::optional<ops::StoredBatch> m_stored;
};

} // namespace vedaris
