#pragma once

#include "ReportDialog.h"

class QGroupBox;

// Parameters of the expired stock report: the date to check up to.
class TFormSrokGodnosti : public vedaris::ReportDialog
{
    Q_OBJECT
public:
    explicit TFormSrokGodnosti(vedaris::Forms &forms, QWidget *parent = nullptr);

    QGroupBox *RzGroupBox1 = nullptr;
    QDateEdit *RzDateTimeEdit1 = nullptr;

    vedaris::reports::ReportParams params() const override;
};
