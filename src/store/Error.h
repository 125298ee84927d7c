#pragma once

#include <QString>
#include <exception>

namespace vedaris {

// The one error type of the core: a failure on a data file (the file's name and
// the operating system's reason) or a failed number conversion (no file).
class Error : public std::exception
{
public:
    Error(QString file, QString reason);
    static Error conversion(const QString &text); // "'%s' is not a valid floating point value"

    const QString &file() const { return m_file; }
    const QString &reason() const { return m_reason; }
    // The sentence shown to the user: names the file (without its folder) when there is one.
    QString message() const;
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_file;
    QString m_reason;
    QByteArray m_what;
};

} // namespace vedaris
