#pragma once

#include "ReferenceDialogs.h"

// Writes the chosen entry into the department field of the issue dialog.
class TFormSelMove : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelMove(vedaris::Forms &forms, QWidget *parent = nullptr);

protected:
    void writeSelection(const QStringList &cells) override;
};
