#pragma once

#include "store/ReferenceLists.h"
#include "widgets/ListView.h"

#include <QDialog>
#include <optional>

class QGridLayout;
class QLineEdit;
class QPushButton;

namespace vedaris {

class SearchEdit;

// The frame shared by the selection and deletion dialogs of the reference
// lists: a search band, the list, and a band of buttons.
class RefListDialog : public QDialog
{
    Q_OBJECT
public slots:
    void RzEdit1KeyUp();
    void RzBitBtnCancelClick();

protected:
    RefListDialog(const QString &dataDir, RefKind kind, const QString &title,
                  const QVector<ListView::Column> &columns, QPushButton *action, QWidget *parent);

    bool isDrugList() const { return m_entries.kind() == RefKind::DrugNames; }

    ReferenceList m_entries;
    SearchEdit *m_search;
    ListView *m_list;
    QPushButton *m_action; // "Выбрать" or "Удалить"
};

// An entry as a selection dialog hands it to the dialog that opened it.
struct RefChoice
{
    QString name;
    QString unit; // drug names only
};

// Picks an entry for the dialog that opened it.
class RefSelectDialog : public RefListDialog
{
    Q_OBJECT
public:
    // The selection fill: one row per live entry. The receipt, edit and issue
    // dialogs run it when they are shown. Throws Error.
    void fillSelectionList();
    // Shows the list modally: the entry chosen, or nothing when it was closed.
    std::optional<RefChoice> choose();

public slots:
    void RzBitBtnSelClick();

protected:
    RefSelectDialog(const QString &dataDir, RefKind kind, const QString &title,
                    const QVector<ListView::Column> &columns, QWidget *parent);
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void FormShow();

private:
    std::optional<RefChoice> m_chosen;
};

// Deletes entries at once, without a question.
class RefDeleteDialog : public RefListDialog
{
    Q_OBJECT
public:
    // The deletion fill: one row per live entry with its EntryId hidden. Throws Error.
    void fillDeletionList();

public slots:
    void RzBitBtnDelClick();

protected:
    RefDeleteDialog(const QString &dataDir, RefKind kind, const QString &title,
                    const QVector<ListView::Column> &columns, QWidget *parent);
    void showEvent(QShowEvent *event) override;
    void FormShow();
};

// Adds an entry after the duplicate test.
class RefNewDialog : public QDialog
{
    Q_OBJECT
public slots:
    void RzBitBtnSaveClick();
    void RzBitBtnCloseClick();

protected:
    RefNewDialog(const QString &dataDir, RefKind kind, const QString &title, const QString &label,
                 const char *fieldName, QWidget *parent);
    QLineEdit *nameField() const { return m_name; }
    // Places a further labelled control under the name field.
    void addRow(const QString &label, QWidget *field);
    // The old client size, or more when our fonts need it.
    void fixSize(QSize client);
    // "Сохранить" only with some text in the name field; spaces count.
    void nameChanged();
    virtual QString unitText() const { return {}; }
    void showEvent(QShowEvent *event) override;

    ReferenceList m_entries;

private:
    QLineEdit *m_name;
    QGridLayout *m_grid;
    QPushButton *m_save;
    QPushButton *m_close;
};

} // namespace vedaris
