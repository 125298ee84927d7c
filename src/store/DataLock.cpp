#include "DataLock.h"

#include "Platform.h"

#include <QDir>

namespace vedaris {

namespace {

QString injectedFailure;

} // namespace

const QString DataLock::FileName = QStringLiteral("Vedaris.lock");

QString DataLock::busyMessage()
{
    return QStringLiteral("Программа уже запущена с этими данными.");
}

DataLock::DataLock(const QString &dataDir) : m_path(QDir(dataDir).filePath(FileName)) { }

DataLock::~DataLock()
{
    platform::unlockFile(m_handle);
}

DataLock::State DataLock::take()
{
    if (m_handle != -1)
        return State::Taken;
    if (!injectedFailure.isEmpty()) {
        m_reason = std::exchange(injectedFailure, {});
        return State::Failed;
    }
    const platform::FileLock lock = platform::lockFile(m_path);
    switch (lock.state) {
    case platform::FileLock::Taken:
        m_handle = lock.handle;
        return State::Taken;
    case platform::FileLock::Busy:
        return State::Busy;
    case platform::FileLock::Failed:
        break;
    }
    m_reason = lock.reason;
    return State::Failed;
}

QString DataLock::errorText() const
{
    return QStringLiteral("не удалось заблокировать файл \"%1\": %2").arg(FileName, m_reason);
}

bool DataLock::stillHeld() const
{
    return m_handle != -1 && platform::stillNames(m_handle, m_path);
}

QString DataLock::lostText() const
{
    return QStringLiteral(
               "Файл блокировки \"%1\" удалён или заменён, пока программа работала: эти данные "
               "могла "
               "открыть и другая копия программы. Чтобы не потерять ничьи записи, программа больше "
               "ничего не записывает и работает только для просмотра. Закройте все копии "
               "программы и запустите её снова.")
        .arg(QDir::toNativeSeparators(QDir(m_path).absolutePath()));
}

void DataLock::failNextTake(const QString &reason)
{
    injectedFailure = reason;
}

} // namespace vedaris
