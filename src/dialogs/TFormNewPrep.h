#pragma once

#include "ReferenceDialogs.h"

class QComboBox;

class TFormNewPrep : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewPrep(const QString &dataDir, QWidget *parent = nullptr);

public slots:
    void RzEditNamePrepChange();
    void done(int result) override;

protected:
    QString unitText() const override;

private:
    // Keeps its text from one showing to the next.
    QComboBox *m_units;
};
