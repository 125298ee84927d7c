#pragma once

#include "operations/Stocktake.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;

namespace vedaris {
class SearchEdit;
class CountModel;
} // namespace vedaris

// The stock-take's counting window: the count sheet's lines at a date with the
// book quantity and the counted quantity to type, the difference and its sum
// as it is typed. Every count typed is saved at once into the draft beside the
// data, so a count that takes days (or a crash) loses nothing; the window
// reopens the draft where it was left. "Провести" brings the books in line
// with the count. A posted count is shown read-only, for reprinting its forms,
// until a new one is begun.
class TFormInventarizaciia : public QDialog
{
    Q_OBJECT
public:
    explicit TFormInventarizaciia(const QString &dataDir, QWidget *parent = nullptr);
    ~TFormInventarizaciia() override;

    // Opens the folder's count, or a new one on today's date, modally. True
    // when a count was posted (the stock list must be filled again).
    bool runCount();
    // Without showing: what runCount reads before the window opens. False when
    // the count could not be read (the error shown).
    bool load();

public slots:
    void RzDateTimeEditIDataChange();
    void RzEditSearchKeyUp();
    void RzCheckBoxRaznicaClick();
    void RzBitBtnNewClick();
    void RzBitBtnOpisClick();
    void RzBitBtnVedomostClick();
    void RzBitBtnProvestiClick();
    void RzBitBtnCloseClick();

private:
    // A count was typed into a row: saved into the draft, the totals shown.
    void counted(int line);
    // The focus to the counted cell of the line after `line`.
    void moveOn(int line);
    void showRows();
    void showTotals();
    void setState();

    QString m_dataDir;
    QDate m_date;
    bool m_posted = false;
    bool m_draft = false; // the folder holds this count (a draft or posted)
    bool m_postedNow = false;
    std::vector<vedaris::ops::CountRow> m_rows;

    QDateEdit *m_dateEdit;
    vedaris::SearchEdit *m_search;
    QCheckBox *m_onlyDifferences;
    QCheckBox *m_blind;
    QTableView *m_table;
    vedaris::CountModel *m_model;
    QLabel *m_totals;
    QLabel *m_state;
    QPushButton *m_new;
    QPushButton *m_sheet;
    QPushButton *m_discrepancies;
    QPushButton *m_post;
    QPushButton *m_close;
};
