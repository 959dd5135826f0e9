#include "StartupProfile.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <unistd.h>

namespace morvane {

namespace {

struct Mark {
    const char *phase;
    double ms;
};

std::vector<Mark> &marks()
{
    static std::vector<Mark> all;
    return all;
}

double monotonicMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// The process's start, from the kernel: field 22 of /proc/self/stat, in
// clock ticks since boot, on the same clock as CLOCK_MONOTONIC's boot time
// closely enough for milliseconds. Falls back to the first call.
double processStartMs()
{
    static const double start = [] {
        if (FILE *f = std::fopen("/proc/self/stat", "r")) {
            char buf[1024];
            const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
            std::fclose(f);
            buf[n] = 0;
            // The command name may hold blanks: count fields after its ')'.
            const char *p = nullptr;
            for (const char *q = buf; *q; ++q)
                if (*q == ')')
                    p = q;
            unsigned long long ticks = 0;
            int field = 2;
            for (; p && *p && field < 22; ++p)
                if (*p == ' ')
                    ++field;
            if (p && std::sscanf(p, "%llu", &ticks) == 1) {
                timespec boot{};
                ::clock_gettime(CLOCK_BOOTTIME, &boot);
                const double sinceBootMs = double(boot.tv_sec) * 1e3 + double(boot.tv_nsec) / 1e6;
                const double startedAgoMs = sinceBootMs - double(ticks) * 1e3 / double(::sysconf(_SC_CLK_TCK));
                return monotonicMs() - startedAgoMs;
            }
        }
        return monotonicMs();
    }();
    return start;
}

}  // namespace

bool StartupProfiling()
{
    static const bool on = std::getenv("MORVANE_PROFILE_STARTUP") != nullptr;
    return on;
}

double StartupElapsedMs() { return monotonicMs() - processStartMs(); }

void StartupMark(const char *phase)
{
    if (StartupProfiling())
        marks().push_back({phase, StartupElapsedMs()});
}

void PrintStartupMarks()
{
    double last = 0;
    for (const Mark &m : marks()) {
        std::fprintf(stderr, "startup: %8.1f ms  +%7.1f  %s\n", m.ms, m.ms - last, m.phase);
        last = m.ms;
    }
    std::fflush(stderr);
}

}  // namespace morvane
