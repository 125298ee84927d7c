#pragma once

#include "ReferenceDialogs.h"

// The reference lists' small windows: each is its base dialog given the
// list, the captions and the object names the old program used.

// Picks a drug name with its unit for the receipt or edit dialog.
class TFormSelPrep : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelPrep(const QString &dataDir, QWidget *parent = nullptr);
};

// Picks a supplier for the receipt or edit dialog.
class TFormSelFirma : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelFirma(const QString &dataDir, QWidget *parent = nullptr);
};

// Picks a manufacturer for the receipt or edit dialog.
class TFormSelFirmaIzg : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelFirmaIzg(const QString &dataDir, QWidget *parent = nullptr);
};

// Picks a department for the issue dialog.
class TFormSelMove : public vedaris::RefSelectDialog
{
    Q_OBJECT
public:
    explicit TFormSelMove(const QString &dataDir, QWidget *parent = nullptr);
};

class TFormNewFirma : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewFirma(const QString &dataDir, QWidget *parent = nullptr);

public slots:
    void RzEditNewFirmaChange();
};

class TFormNewFirmaIzg : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewFirmaIzg(const QString &dataDir, QWidget *parent = nullptr);

public slots:
    void RzEditNewFirmaIzgChange();
};

class TFormNewMove : public vedaris::RefNewDialog
{
    Q_OBJECT
public:
    explicit TFormNewMove(const QString &dataDir, QWidget *parent = nullptr);

public slots:
    void RzEditNewMoveChange();
};

class TFormDelPrep : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelPrep(const QString &dataDir, QWidget *parent = nullptr);
};

class TFormDelFirma : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelFirma(const QString &dataDir, QWidget *parent = nullptr);
};

class TFormDelIzgot : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelIzgot(const QString &dataDir, QWidget *parent = nullptr);
};

class TFormDelMove : public vedaris::RefDeleteDialog
{
    Q_OBJECT
public:
    explicit TFormDelMove(const QString &dataDir, QWidget *parent = nullptr);
};
