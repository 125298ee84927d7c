#pragma once

#include <QDialog>

class QUrl;

// The about box; modeless, and brought forward when asked for again.
class TFormAbaut : public QDialog
{
    Q_OBJECT
public:
    explicit TFormAbaut(const QString &dataDir, QWidget *parent = nullptr);

    static QUrl mailUrl();

public slots:
    void LinkClick(const QString &link);
    void FlatButtonCloseClick();
};
