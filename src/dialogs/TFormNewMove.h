#pragma once

#include "ReferenceDialogs.h"

class TFormNewMove : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewMove(const QString &dataDir, QWidget *parent = nullptr);

public slots:
    void RzEditNewMoveChange();
};
