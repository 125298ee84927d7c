#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vedaris {
class Forms;
}

// The about box; modeless, and brought forward when asked for again.
class TFormAbaut : public QDialog
{
    Q_OBJECT
public:
    explicit TFormAbaut(vedaris::Forms &forms, QWidget *parent = nullptr);

    QLabel *LabelAuthor = nullptr;
    QLabel *LabelSite = nullptr;
    QLabel *LabelMail = nullptr;
    QLabel *LabelData = nullptr; // the data folder in use
    QPushButton *FlatButtonClose = nullptr;

    static QUrl mailUrl();

public slots:
    void LinkClick(const QString &link);
    void FlatButtonCloseClick();
};
