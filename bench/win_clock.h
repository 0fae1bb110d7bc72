// Clocks of the Windows benchmarks: wall time from the performance counter,
// CPU time of the calling thread; both in microseconds.
#pragma once

#include <windows.h>

namespace velmap::bench {

inline double WallUs() {
    static const double per_us = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1e6;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / per_us;
}

inline double CpuUs() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    auto us = [](FILETIME f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 10; };
    return us(kernel) + us(user);
}

}  // namespace velmap::bench
