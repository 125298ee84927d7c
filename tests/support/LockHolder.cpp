// The other copy of the program in the lock tests: takes the lock of the data
// folder it is given and prints "LOCK:taken", "LOCK:busy" or "LOCK:failed",
// then holds it until its standard input closes; with "crash" it ends at once
// without letting go, as a crashed program does.
#include "store/DataLock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vedaris-lock-holder DATA_DIR [hold|crash]\n");
        return 2;
    }
    vedaris::DataLock lock(QString::fromLocal8Bit(argv[1]));
    const vedaris::DataLock::State s = lock.take();
    std::printf("LOCK:%s\n",
                s == vedaris::DataLock::State::Taken      ? "taken"
                    : s == vedaris::DataLock::State::Busy ? "busy"
                                                          : "failed");
    std::fflush(stdout);
    if (argc > 2 && std::strcmp(argv[2], "crash") == 0)
        std::_Exit(0);
    while (std::getchar() != EOF) { }
    return 0;
}
