#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace vedaris::platform {

bool syncFile(int fd)
{
#ifdef _WIN32
    // The C runtime's descriptor over its Windows handle: flush that handle,
    // which writes the file's data and metadata through the disk's cache.
    const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (h == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return false;
    }
    if (FlushFileBuffers(h))
        return true;
    errno = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
    return false;
#else
    return fsync(fd) == 0;
#endif
}

bool syncFolder(const QString &dir)
{
#ifdef _WIN32
    Q_UNUSED(dir);
    return true;
#else
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
#endif
}

bool replaceFile(const QString &from, const QString &to)
{
#ifdef _WIN32
    // MoveFileEx replaces the target in one step and, with WRITE_THROUGH, only
    // returns once the move is on the disk.
    const std::wstring source = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring target = QDir::toNativeSeparators(to).toStdWString();
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION ? EACCES : EIO;
    return false;
#else
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

void prepareConsole()
{
#ifdef _WIN32
    // The tools print UTF-8; the console shows it as such only when told.
    SetConsoleOutputCP(CP_UTF8);
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
        {ENOLCK, "файловая система не поддерживает блокировку файлов"},
#ifdef EDQUOT
        {EDQUOT, "исчерпана дисковая квота"},
#endif
    };
    // Qt words some failures itself, in its own translation once the program
    // has loaded Qt's Russian texts ("Файл или каталог не существует").
    for (const Known &k : known)
        if (systemText == QString::fromLocal8Bit(std::strerror(k.code)) || systemText == qt_error_string(k.code))
            return QString::fromUtf8(k.text);
    const auto qtSays = [&systemText](const char *english) {
        return systemText.compare(QLatin1String(english), Qt::CaseInsensitive) == 0
               || systemText.compare(QCoreApplication::translate("QIODevice", english), Qt::CaseInsensitive) == 0;
    };
    if (systemText.isEmpty() || qtSays("Unknown error"))
        return QStringLiteral("неизвестная ошибка ввода-вывода");
    if (qtSays("file to open is a directory") || qtSays("Filename refers to a directory"))
        return QString::fromUtf8(IsDirectory);
    if (qtSays("device not open"))
        return QStringLiteral("файл не открыт");
    return systemText;
}

#ifdef _WIN32

namespace {

QString windowsReason(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("файл не найден");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("папки из пути к файлу не существует");
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("нет доступа к файлу");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("диск доступен только для чтения");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QStringLiteral("на диске нет свободного места");
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return QStringLiteral("файловая система не поддерживает блокировку файлов");
    default:
        break;
    }
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString out = text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("код ошибки %1").arg(code);
    LocalFree(text);
    return out;
}

} // namespace

FileLock lockFile(const QString &path)
{
    FileLock out;
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    // Others may open the file too: the lock, not the sharing mode, keeps them out.
    HANDLE h = CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        out.reason = windowsReason(GetLastError());
        return out;
    }
    OVERLAPPED at{};
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &at)) {
        out.state = FileLock::Taken;
        out.handle = reinterpret_cast<qintptr>(h);
        return out;
    }
    const DWORD code = GetLastError();
    CloseHandle(h);
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_SHARING_VIOLATION || code == ERROR_IO_PENDING)
        out.state = FileLock::Busy;
    else
        out.reason = windowsReason(code);
    return out;
}

void unlockFile(qintptr handle)
{
    if (handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle)); // closing releases the lock
}

#else

namespace {

QString errnoReason(int code)
{
    return russianReason(QString::fromLocal8Bit(std::strerror(code)));
}

// A lock of the open file itself, not of the process: a second open in the same
// process is refused too, and closing another descriptor of the file keeps it.
// Open-file-description locks are byte-range locks, which network file systems
// pass to the server; flock where the system has no such locks.
int tryLock(int fd)
{
#ifdef F_OFD_SETLK
    struct flock whole{};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &whole) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
#endif
    return flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

} // namespace

FileLock lockFile(const QString &path)
{
    FileLock out;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        out.reason = errnoReason(errno);
        return out;
    }
    const int error = tryLock(fd);
    if (error == 0) {
        out.state = FileLock::Taken;
        out.handle = fd;
        return out;
    }
    ::close(fd);
    if (error == EAGAIN || error == EACCES || error == EWOULDBLOCK)
        out.state = FileLock::Busy;
    else
        out.reason = errnoReason(error);
    return out;
}

void unlockFile(qintptr handle)
{
    if (handle >= 0)
        ::close(int(handle)); // closing releases the lock
}

#endif

QStringList openerCommand()
{
#if defined(_WIN32)
    return {};
#elif defined(__APPLE__)
    return {QStringLiteral("open")};
#else
    return {QStringLiteral("xdg-open")};
#endif
}

} // namespace vedaris::platform
