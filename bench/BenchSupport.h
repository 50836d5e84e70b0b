#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>

// Microseconds per call of work, over the given number of calls.
inline double MicrosecondsPerCall(int calls, const std::function<void(int)>& work)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i)
        work(i);
    QueryPerformanceCounter(&end);
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart) /
           calls;
}

// One line per measurement: the time, the floor measured in the same run, the ratio.
inline void Report(const char* what, double microseconds, double floorMicroseconds)
{
    std::printf("%-44s %10.1f us   floor %10.1f us   ratio %.2f\n", what, microseconds, floorMicroseconds,
                microseconds / floorMicroseconds);
}
