#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

namespace vedaris {

// The quantity and price fields hold digits and decimal commas only. A typed
// character other than a digit, "," or "." is dropped with a message (once per
// character), and "." becomes ",". Text placed by other means (paste, drop,
// undo) is held to the same rule: a text with a foreign character is refused
// whole, so "-5" or "1e5" never reaches the field.
class NumberFilter : public QObject
{
    Q_OBJECT
public:
    static void install(QLineEdit *edit);
    static QString refusal();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit NumberFilter(QLineEdit *edit);
    void edited(const QString &text);
    void refuse();

    QLineEdit *m_edit;
    QString m_accepted; // the field's last good text
};

} // namespace vedaris
