#include "DiskIo.h"

#include "Platform.h"

#include <QFile>
#include <cstdlib>

namespace vedaris::disk {

namespace {

qint64 callCount = 0;
qint64 stopCall = 0;

// True when this is the call to stop at.
bool due()
{
    return ++callCount == stopCall;
}

[[noreturn]] void stop()
{
    std::_Exit(StoppedExit);
}

} // namespace

qint64 write(QFile &file, const char *data, qint64 length)
{
    if (due()) {
        file.write(data, length / 2);
        stop();
    }
    return file.write(data, length);
}

bool sync(QFile &file)
{
    if (due())
        stop();
    return file.flush() && platform::syncFile(file.handle());
}

bool syncFolder(const QString &dir)
{
    if (due())
        stop();
    return platform::syncFolder(dir);
}

bool truncate(QFile &file, qint64 length)
{
    if (due())
        stop();
    return file.resize(length);
}

bool remove(QFile &file)
{
    if (due())
        stop();
    return file.remove();
}

QString reason()
{
    return QString::fromLocal8Bit(platform::lastErrorText());
}

void stopAt(qint64 n)
{
    callCount = 0;
    stopCall = n;
}

qint64 calls()
{
    return callCount;
}

} // namespace vedaris::disk
