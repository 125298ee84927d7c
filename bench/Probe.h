#pragma once

// What the probe programs share: their results as "key=value" lines on standard
// output, read by the harness.
#include <QString>
#include <cstdio>

#include <sys/resource.h>

namespace vedaris::bench {

inline void result(const char *key, double value)
{
    std::printf("%s=%.6f\n", key, value);
    std::fflush(stdout);
}

inline double peakMiB()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0; // KiB on Linux
}

} // namespace vedaris::bench
