#pragma once

#include "ReferenceDialogs.h"

// Writes the chosen entry into the drug name and unit fields of the receipt dialog when it is showing, else of the edit dialog.
class TFormSelPrep : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelPrep(vedaris::Forms &forms, QWidget *parent = nullptr);

protected:
    void writeSelection(const QStringList &cells) override;
};
