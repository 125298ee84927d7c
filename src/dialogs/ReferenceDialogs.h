#pragma once

#include "store/ReferenceLists.h"
#include "widgets/ListView.h"
#include "widgets/SearchEdit.h"

#include <QDialog>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace vedaris {

class Forms;

// The frame shared by the selection and deletion dialogs of the reference
// lists: a search band, the list, and a band of buttons.
class RefListDialog : public QDialog
{
    Q_OBJECT
public:
    SearchEdit *RzEdit1 = nullptr;
    ListView *RzListView1 = nullptr;
    QPushButton *RzBitBtnCancel = nullptr;

    const ReferenceList &referenceList() const { return m_list; }

public slots:
    void RzEdit1KeyUp();
    void RzBitBtnCancelClick();

protected:
    RefListDialog(Forms &forms, RefKind kind, const QString &title,
                  const QVector<ListView::Column> &columns, QPushButton *action, QWidget *parent);

    bool isDrugList() const { return m_list.kind() == RefKind::DrugNames; }

    Forms &m_forms;
    ReferenceList m_list;
    QPushButton *m_action; // "Выбрать" or "Удалить"
};

// Picks an entry and writes it into the dialog that opened this one.
class RefSelectDialog : public RefListDialog
{
    Q_OBJECT
public:
    QPushButton *RzBitBtnSel = nullptr;

    // The selection fill: one row per live entry. The receipt, edit and issue
    // dialogs run it when they are shown. Throws Error.
    void fillSelectionList();

public slots:
    void RzBitBtnSelClick();

protected:
    RefSelectDialog(Forms &forms, RefKind kind, const QString &title,
                    const QVector<ListView::Column> &columns, QWidget *parent);
    void showEvent(QShowEvent *event) override;
    void FormShow();
    // `cells` are the selected row's: the name, then the unit for drug names.
    virtual void writeSelection(const QStringList &cells) = 0;
};

// Deletes entries at once, without a question.
class RefDeleteDialog : public RefListDialog
{
    Q_OBJECT
public:
    QPushButton *RzBitBtnDel = nullptr;

    // The deletion fill: one row per live entry with its EntryId hidden. Throws Error.
    void fillDeletionList();

public slots:
    void RzBitBtnDelClick();

protected:
    RefDeleteDialog(Forms &forms, RefKind kind, const QString &title,
                    const QVector<ListView::Column> &columns, QWidget *parent);
    void showEvent(QShowEvent *event) override;
    void FormShow();
};

// Adds an entry after the duplicate test.
class RefNewDialog : public QDialog
{
    Q_OBJECT
public:
    QPushButton *RzBitBtnSave = nullptr;
    QPushButton *RzBitBtnClose = nullptr;

public slots:
    void RzBitBtnSaveClick();
    void RzBitBtnCloseClick();

protected:
    RefNewDialog(Forms &forms, RefKind kind, const QString &title, const QString &label,
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

    Forms &m_forms;
    ReferenceList m_list;

private:
    QLineEdit *m_name;
    QGridLayout *m_grid;
};

} // namespace vedaris
