#include "DiskIo.h"

#include "Platform.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace vedaris::disk {

namespace {

qint64 callCount = 0;
qint64 stopCall = 0;
bool recording = false;
bool syncsSkipped = false;
QStringList recorded;

// True when this is the call to stop at.
bool due(const char *what, const QString &path)
{
    if (recording)
        recorded << QLatin1String(what) + QLatin1Char(' ') + QFileInfo(path).fileName();
    return ++callCount == stopCall;
}

[[noreturn]] void stop()
{
    std::_Exit(StoppedExit);
}

} // namespace

qint64 write(QFile &file, const char *data, qint64 length)
{
    if (due("write", file.fileName())) {
        file.write(data, length / 2);
        stop();
    }
    return file.write(data, length);
}

bool sync(QFile &file)
{
    if (due("sync", file.fileName()))
        stop();
    return file.flush() && (syncsSkipped || platform::syncFile(file.handle()));
}

bool syncFolder(const QString &dir)
{
    if (due("sync", QStringLiteral("folder")))
        stop();
    return syncsSkipped || platform::syncFolder(dir);
}

bool truncate(QFile &file, qint64 length)
{
    if (due("truncate", file.fileName()))
        stop();
    return file.resize(length);
}

bool remove(QFile &file)
{
    if (due("remove", file.fileName()))
        stop();
    return file.remove();
}

bool replace(const QString &from, const QString &to)
{
    if (due("rename", to))
        stop();
    return platform::replaceFile(from, to);
}

QString reason()
{
    return QString::fromLocal8Bit(platform::lastErrorText());
}

void stopAt(qint64 n)
{
    callCount = 0;
    stopCall = n;
    recorded.clear();
}

qint64 calls()
{
    return callCount;
}

void skipSyncs(bool skip)
{
    syncsSkipped = skip;
}

void recordCalls(bool on)
{
    recording = on;
    recorded.clear();
}

QStringList recordedCalls()
{
    return recorded;
}

} // namespace vedaris::disk
