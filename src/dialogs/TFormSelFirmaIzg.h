#pragma once

#include "ReferenceDialogs.h"

// Writes the chosen entry into the manufacturer field of the receipt dialog when it is showing, else of the edit dialog.
class TFormSelFirmaIzg : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelFirmaIzg(vedaris::Forms &forms, QWidget *parent = nullptr);

protected:
    void writeSelection(const QStringList &cells) override;
};
