#include "Error.h"

#include "Platform.h"

#include <QFileInfo>

namespace vedaris {

Error::Error(QString file, QString reason)
    : m_file(std::move(file)),
      m_reason(m_file.isEmpty() ? std::move(reason) : platform::russianReason(reason))
{
    m_what = message().toUtf8();
}

Error Error::conversion(const QString &text)
{
    return Error({}, QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

QString Error::message() const
{
    if (m_file.isEmpty())
        return m_reason;
    return QStringLiteral("Ошибка при работе с файлом \"%1\": %2")
        .arg(QFileInfo(m_file).fileName(), m_reason);
}

} // namespace vedaris
