#pragma once

#include "operations/StockOperations.h"

#include <QDate>
#include <QWidget>
#include <array>
#include <optional>

class QDateEdit;
class QGridLayout;
class QLineEdit;

namespace vedaris {

struct StockRecord;

// The captioned fields describing a batch, as the issue, write-off, view and
// receipt/edit windows show them: each window names its fields, their order
// and whether they can be typed in, and may put rows of its own between them
// in the same two columns. The fields take the window's object names, so the
// window still finds them as its own controls.
class BatchFields : public QWidget
{
public:
    enum class Field {
        DrugName,
        Manufacturer,
        Supplier,
        Document,
        Series,
        Unit,
        Quantity,
        Price,
        Sum,
        ReceiptDate,
        Expiry,
    };
    enum class Access {
        Editable,
        ReadOnly, // in the read-only colours
        // Read-only, and a date shows whatever the file holds, however old.
        AsStored,
    };

    explicit BatchFields(QWidget *parent);

    // The next row: a text field with its caption, `extra` beside it.
    QLineEdit *addLine(Field field, const QString &name, Access access, QWidget *extra = nullptr);
    // The next row: a date field (DateEdit) with its caption.
    QDateEdit *addDate(Field field, const QString &name, Access access);
    // A row of the window's own between the batch's.
    void addRow(const QString &caption, QWidget *control, QWidget *extra = nullptr);
    // A row across both columns.
    void addWide(QWidget *control);

    QLineEdit *line(Field field) const;
    QDateEdit *date(Field field) const;

    // Shows the record in the fields the window has, each from its start.
    void fill(const StockRecord &r);
    // What the fields hold, to store; a date left as fill() showed it keeps
    // its stored value. Needs every field a receipt has.
    ops::BatchInput input() const;
    // Every text and date emptied.
    void clear();

private:
    QWidget *&slot(Field field);

    QGridLayout *m_grid;
    std::array<QWidget *, int(Field::Expiry) + 1> m_fields{};

    struct KeptDate
    {
        double serial = 0;
        QDate shown;
    };
    std::optional<KeptDate> m_keptReceipt, m_keptExpiry; // as fill() showed them
};

} // namespace vedaris
