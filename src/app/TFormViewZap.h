#pragma once

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPushButton;

namespace vedaris {
class Forms;
struct StockRecord;
}

// Shows one stock record read-only, as Base.dat holds it.
class TFormViewZap : public QDialog
{
    Q_OBJECT
public:
    explicit TFormViewZap(vedaris::Forms &forms, QWidget *parent = nullptr);

    void fill(const vedaris::StockRecord &r);
    // Fills the fields and shows the window modally.
    void showRecord(const vedaris::StockRecord &r);

    QLineEdit *RzEditVNamePrep = nullptr;
    QLineEdit *RzEditVNameIzgot = nullptr;
    QLineEdit *RzEditVNamePost = nullptr;
    QLineEdit *RzEditVPrihodDoc = nullptr;
    QLineEdit *RzEditVSeriiaPrep = nullptr;
    QLineEdit *RzEditVEdIzm = nullptr;
    QLineEdit *RzEditVKol = nullptr;
    QLineEdit *RzEditVCEdin = nullptr;
    QLineEdit *RzEditVTotSum = nullptr;
    QDateEdit *RzDateTimeEditVDataPol = nullptr;
    QDateEdit *RzDateTimeEditVSrokGodn = nullptr;
    QPushButton *RzBitBtnVClose = nullptr;
};
