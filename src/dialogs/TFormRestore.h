#pragma once

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;

// "Восстановить из резервной копии...": the dated copies in backup/, newest
// first, damaged ones marked; "Восстановить" puts the chosen one back.
class TFormRestore : public QDialog
{
    Q_OBJECT
public:
    explicit TFormRestore(const QString &dataDir, QWidget *parent = nullptr);

    // Fills the list; the chosen copy's folder name, or nothing when closed.
    QString choose();

private:
    void RzListCopiesChange();

    QString m_dataDir;
    QListWidget *m_list;
    QPushButton *m_restore;
};
