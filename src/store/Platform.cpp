#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#ifdef _WIN32
// windows.h first: the other system headers build on it.
#include <windows.h>

#include <io.h>
#include <shellapi.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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
    if (MoveFileExW(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION
        ? EACCES
        : EIO;
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

#ifdef _WIN32
namespace {
QString windowsTextReason(const QString &systemText);
}
#endif

QString russianReason(const QString &systemText, const QString &path)
{
    QString reason = russianReason(systemText);
    // Windows refuses to open a folder as a file with "access denied".
    if (!path.isEmpty() && reason == QStringLiteral("нет доступа к файлу")
        && QFileInfo(path).isDir())
        return QStringLiteral("на месте файла находится папка");
    return reason;
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
    for (const Known &k : known) {
#ifdef _WIN32
        // Qt words only these itself; for any other number it asks Windows,
        // which reads the number as a Windows error code (5 is "access denied").
        const bool qtWords =
            k.code == ENOENT || k.code == EACCES || k.code == EMFILE || k.code == ENOSPC;
#else
        const bool qtWords = true;
#endif
        if (systemText == QString::fromLocal8Bit(std::strerror(k.code))
            || (qtWords && systemText == qt_error_string(k.code)))
            return QString::fromUtf8(k.text);
    }
#ifdef _WIN32
    if (const QString windows = windowsTextReason(systemText); !windows.isEmpty())
        return windows;
#endif
    const auto qtSays = [&systemText](const char *english) {
        return systemText.compare(QLatin1String(english), Qt::CaseInsensitive) == 0
            || systemText.compare(QCoreApplication::translate("QIODevice", english),
                                  Qt::CaseInsensitive)
            == 0;
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

QString systemText(DWORD code);

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
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return QStringLiteral("файл занят другой программой");
    case ERROR_TOO_MANY_OPEN_FILES:
        return QStringLiteral("открыто слишком много файлов");
    case ERROR_FILENAME_EXCED_RANGE:
        return QStringLiteral("слишком длинное имя файла");
    default:
        break;
    }
    return systemText(code);
}

QString systemText(DWORD code)
{
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString out =
        text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("код ошибки %1").arg(code);
    LocalFree(text);
    return out;
}

// QFile words a Windows failure in Windows' own text for its code.
QString windowsTextReason(const QString &text)
{
    static const DWORD known[] = {ERROR_FILE_NOT_FOUND,      ERROR_PATH_NOT_FOUND,
                                  ERROR_ACCESS_DENIED,       ERROR_WRITE_PROTECT,
                                  ERROR_DISK_FULL,           ERROR_HANDLE_DISK_FULL,
                                  ERROR_SHARING_VIOLATION,   ERROR_LOCK_VIOLATION,
                                  ERROR_TOO_MANY_OPEN_FILES, ERROR_FILENAME_EXCED_RANGE};
    const QString trimmed = text.trimmed();
    for (DWORD code : known)
        if (trimmed == systemText(code))
            return windowsReason(code);
    return {};
}

HANDLE openForInfo(const QString &path)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    return CreateFileW(native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

FileLock lockFile(const QString &path)
{
    FileLock out;
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    // Read access is enough for LockFileEx, so a user who may not write the
    // file (another user's) still locks it; a write-protected disk stays a
    // reason to open for viewing only. Others may open the file too: the lock,
    // not the sharing mode, keeps them out.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE h = CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        h = CreateFileW(native.c_str(), GENERIC_READ, share, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        out.reason = windowsReason(GetLastError());
        return out;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        out.reason = QStringLiteral("это устройство, а не обычный файл");
        return out;
    }
    OVERLAPPED at{};
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                   &at)) {
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

bool stillNames(qintptr handle, const QString &path)
{
    BY_HANDLE_FILE_INFORMATION held{}, named{};
    if (handle == -1 || !GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), &held))
        return false;
    // Deleted while open, the file keeps its name until the last handle closes
    // (unless the disk deletes the POSIX way): it is gone all the same.
    FILE_STANDARD_INFO standard{};
    if (GetFileInformationByHandleEx(reinterpret_cast<HANDLE>(handle), FileStandardInfo, &standard,
                                     sizeof standard)
        && standard.DeletePending)
        return false;
    HANDLE h = openForInfo(path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = GetFileInformationByHandle(h, &named);
    CloseHandle(h);
    return ok && held.dwVolumeSerialNumber == named.dwVolumeSerialNumber
        && held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
}

QString notRegularFile(const QString &path)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return QStringLiteral("на месте файла находится папка");
    HANDLE h = openForInfo(path);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    return type == FILE_TYPE_DISK ? QString() : QStringLiteral("это устройство, а не обычный файл");
}

void giveToFolderOwner(const QString &path, const QString &folder)
{
    Q_UNUSED(path);
    Q_UNUSED(folder);
}

bool isLink(const QString &path)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(native.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
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
// A write lock needs a handle open for writing; flock does not, so a copy that
// may only read the lock file takes flock alone, and every copy takes flock
// too, so that the two kinds of copy exclude each other.
int tryLock(int fd, bool writable)
{
    bool byteRange = false;
#ifdef F_OFD_SETLK
    if (writable) {
        struct flock whole
        { };
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        if (fcntl(fd, F_OFD_SETLK, &whole) == 0)
            byteRange = true;
        else if (errno != EINVAL)
            return errno;
    }
#else
    Q_UNUSED(writable);
#endif
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return 0;
    const int error = errno;
    // A file system with byte-range locks but no flock (some network shares)
    // keeps the byte-range lock alone, as before.
    if (byteRange && error != EWOULDBLOCK && error != EAGAIN)
        return 0;
    return error;
}

} // namespace

FileLock lockFile(const QString &path)
{
    FileLock out;
    const QByteArray name = QFile::encodeName(path);
    // 0666 less the umask, as any file the user creates: the data files'
    // permissions, the folder's group. O_NONBLOCK: a FIFO in its place must not
    // hold the start-up up.
    const int flags = O_CREAT | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(name.constData(), O_RDWR | flags, 0666);
    bool writable = fd >= 0;
    // Only a lock file this user may not write (another user's) is locked
    // read-only; a read-only disk stays a reason to open for viewing only.
    if (fd < 0 && (errno == EACCES || errno == EPERM))
        fd = ::open(name.constData(), O_RDONLY | flags, 0666);
    if (fd < 0) {
        out.reason = errnoReason(errno);
        return out;
    }
    struct stat st
    { };
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        out.reason = notRegularFile(path);
        if (out.reason.isEmpty())
            out.reason = QStringLiteral("это не обычный файл");
        return out;
    }
    giveToFolderOwner(path, QFileInfo(path).absolutePath());
    const int error = tryLock(fd, writable);
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

bool stillNames(qintptr handle, const QString &path)
{
    struct stat held
    {
    }, named{};
    if (handle < 0 || fstat(int(handle), &held) != 0
        || ::stat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

QString notRegularFile(const QString &path)
{
    struct stat st
    { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {}; // missing, or a link to nothing: the open says so
    if (S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("на месте файла находится папка");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("это именованный канал (FIFO), а не обычный файл");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("это устройство, а не обычный файл");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("это сокет, а не обычный файл");
    return QStringLiteral("это не обычный файл");
}

void giveToFolderOwner(const QString &path, const QString &folder)
{
    if (geteuid() != 0)
        return;
    struct stat owner
    { };
    if (::stat(QFile::encodeName(folder).constData(), &owner) != 0 || owner.st_uid == 0)
        return;
    // Best effort: a copy root cannot hand over is still a copy.
    [[maybe_unused]] const int ignored =
        ::lchown(QFile::encodeName(path).constData(), owner.st_uid, owner.st_gid);
}

bool isLink(const QString &path)
{
    struct stat st
    { };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

#endif

std::optional<bool> shellOpen(const QString &path)
{
#if defined(_WIN32)
    // The shell itself, not Qt's platform services: its answer is the same
    // whichever windowing plugin the program runs on.
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpFile = native.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
#else
    Q_UNUSED(path);
    return std::nullopt;
#endif
}

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
