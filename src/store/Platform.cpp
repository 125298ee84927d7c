#include "Platform.h"

#include <cerrno>
#include <cstring>
#include <iterator>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vedaris::platform {

bool syncFile(int fd)
{
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return fsync(fd) == 0;
#endif
}

const char *lastErrorText()
{
    return std::strerror(errno);
}

QString russianReason(const QString &systemText)
{
    // QFile reports the C runtime's text for errno, so matching against that
    // text for every errno we know gives the failure back whatever the locale.
    static const char *const IsDirectory = "на месте файла находится папка";
    struct Known
    {
        int code;
        const char *text;
    };
    static const Known known[] = {
        {ENOENT, "файл не найден"},
        {EACCES, "нет доступа к файлу"},
        {EPERM, "операция с файлом не разрешена"},
        {ENOSPC, "на диске нет свободного места"},
        {EFBIG, "файл достиг предельного размера, запись не поместилась"},
        {EISDIR, IsDirectory},
        {ENOTDIR, "папки из пути к файлу не существует"},
        {EROFS, "диск доступен только для чтения"},
        {EIO, "ошибка ввода-вывода на диске"},
        {EBADF, "файл открыт не для записи"},
        {EBUSY, "файл занят другой программой"},
        {EMFILE, "открыто слишком много файлов"},
        {ENAMETOOLONG, "слишком длинное имя файла"},
#ifdef EDQUOT
        {EDQUOT, "исчерпана дисковая квота"},
#endif
    };
    for (const Known &k : known)
        if (systemText == QString::fromLocal8Bit(std::strerror(k.code)))
            return QString::fromUtf8(k.text);
    // Qt's own words for a few failures it detects itself.
    if (systemText == QLatin1String("Unknown error") || systemText.isEmpty())
        return QStringLiteral("неизвестная ошибка ввода-вывода");
    if (systemText == QLatin1String("file to open is a directory")
        || systemText == QLatin1String("Filename refers to a directory"))
        return QString::fromUtf8(IsDirectory);
    if (systemText.compare(QLatin1String("device not open"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("файл не открыт");
    return systemText;
}

} // namespace vedaris::platform
