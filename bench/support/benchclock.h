#pragma once
// Timing shared by the benchmarks: a millisecond clock and the median of a set of runs.
#include <windows.h>

#include <algorithm>
#include <vector>

// The clock is the tests' own: one for everything that times what it drives.
#include "../../tests/support/msclock.h"

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
