#pragma once

#include "ReferenceDialogs.h"

class QComboBox;

class TFormNewPrep : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewPrep(vedaris::Forms &forms, QWidget *parent = nullptr);

    QLineEdit *RzEditNamePrep = nullptr;
    // Keeps its text from one showing to the next.
    QComboBox *RzComboBoxEdIzm = nullptr;

public slots:
    void RzEditNamePrepChange();
    void done(int result) override;

protected:
    QString unitText() const override;
};
