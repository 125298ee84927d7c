#pragma once

#include "operations/HistoryView.h"

#include <QDialog>
#include <QSet>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// "Журнал операций": the history's entries newest first, a page at a time
// read from the end of the file, filtered by period, kind and drug; for the
// selected entry every record it touched, field by field.
class TFormHistory : public QDialog
{
    Q_OBJECT
public:
    explicit TFormHistory(const QString &dataDir, QWidget *parent = nullptr);
    ~TFormHistory() override;

    // Reads the first page; false (the error shown) when the history cannot be read.
    bool load();
    // Entries are read in pages of this many.
    static constexpr int Page = 200;

public slots:
    void BtnShowClick();
    void BtnMoreClick();
    // The deletion report over the period of the date fields.
    void BtnDeletionsClick();
    void ListEntriesChange();

private:
    void readPage();
    vedaris::ops::HistoryFilter filter() const;

    QString m_dataDir;
    std::unique_ptr<vedaris::history::Reader> m_reader;
    std::vector<vedaris::history::Entry> m_entries; // as listed
    QSet<qint64> m_undone; // offsets of entries an undo put back
    qint64 m_next = -1; // where the next page ends; 0 at the start of the file
    vedaris::ops::HistoryFilter m_filter;

    QCheckBox *m_period;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QComboBox *m_kind;
    QLineEdit *m_drug;
    QTreeWidget *m_list;
    QTreeWidget *m_changes;
    QPushButton *m_more;
};
