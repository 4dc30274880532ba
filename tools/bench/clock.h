#pragma once
#include "win.h"

namespace bench {

// QueryPerformanceCounter in microseconds: one clock for the sender and the
// stand-in, which live in the same process.
inline double NowUs() {
    static const double perUs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1e6;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perUs;
}

}  // namespace bench
