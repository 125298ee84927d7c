#include "DataLock.h"

#include <QDir>

namespace vedaris {

const QString DataLock::FileName = QStringLiteral("Vedaris.lock");

QString DataLock::busyMessage()
{
    return QStringLiteral("Программа уже запущена с этими данными.");
}

DataLock::DataLock(const QString &dataDir)
    : m_path(QDir(dataDir).filePath(FileName)), m_lock(m_path)
{
    // Only a dead owner makes a lock stale, never its age: a store-keeper may
    // keep the program open for weeks.
    m_lock.setStaleLockTime(0);
}

DataLock::State DataLock::take()
{
    if (m_lock.tryLock(0))
        return State::Taken;
    return m_lock.error() == QLockFile::LockFailedError ? State::Busy : State::Failed;
}

QString DataLock::errorText() const
{
    const QString reason = m_lock.error() == QLockFile::PermissionError
                               ? QStringLiteral("нет права создать файл в папке данных")
                               : QStringLiteral("неизвестная ошибка");
    return QStringLiteral("Не удалось создать файл блокировки \"%1\": %2.")
        .arg(QDir::toNativeSeparators(m_path), reason);
}

} // namespace vedaris
