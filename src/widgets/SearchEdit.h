#pragma once

#include <QLineEdit>

namespace vedaris {

// The search boxes run their search when a key is released.
class SearchEdit : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void keyReleased();

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
};

} // namespace vedaris
