#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace vedaris {
class BatchFields;
struct StockRecord;
namespace ops {
struct BatchHistory;
}
} // namespace vedaris

// Shows one stock record read-only, as Base.dat holds it, and below it the
// batch card: its live issues with the remaining quantity after each, and
// whether what it received less what was issued is what it holds.
class TFormViewZap : public QDialog
{
    Q_OBJECT
public:
    explicit TFormViewZap(QWidget *parent = nullptr);

    void fill(const vedaris::StockRecord &r);
    void fill(const vedaris::ops::BatchHistory &h);
    // Fills the fields and the card and shows the window modally.
    void showRecord(const vedaris::ops::BatchHistory &h);

private:
    class IssueModel;

    vedaris::BatchFields *m_fields;
    IssueModel *m_issueModel;
    QTableView *m_issues;
    QLabel *m_balance;
    QPushButton *m_close;
};
