#pragma once

#include "ReferenceDialogs.h"

class TFormNewMove : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewMove(vedaris::Forms &forms, QWidget *parent = nullptr);

    QLineEdit *RzEditNewMove = nullptr;

public slots:
    void RzEditNewMoveChange();
};
