#pragma once

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPushButton;

namespace vedaris {
struct StockRecord;
}

// Shows one stock record read-only, as Base.dat holds it.
class TFormViewZap : public QDialog
{
    Q_OBJECT
public:
    explicit TFormViewZap(QWidget *parent = nullptr);

    void fill(const vedaris::StockRecord &r);
    // Fills the fields and shows the window modally.
    void showRecord(const vedaris::StockRecord &r);

private:
    QLineEdit *m_drugName;
    QLineEdit *m_manufacturer;
    QLineEdit *m_supplier;
    QLineEdit *m_document;
    QLineEdit *m_series;
    QLineEdit *m_unit;
    QLineEdit *m_quantity;
    QLineEdit *m_price;
    QLineEdit *m_sum;
    QDateEdit *m_receiptDate;
    QDateEdit *m_expiry;
    QPushButton *m_close;
};
