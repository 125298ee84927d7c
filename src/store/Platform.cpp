#include "Platform.h"

#include <cerrno>
#include <cstring>

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

} // namespace vedaris::platform
