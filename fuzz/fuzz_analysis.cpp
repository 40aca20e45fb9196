// SPDX-License-Identifier: GPL-3.0-or-later
// Histogram and Mode over any samples, any interval count and any base and
// top: the smallest and largest sample as the measurement timer passes them,
// or two doubles from the input. For every finite base < top each sample in
// [base, top] must be counted once, in the interval its position gives (up
// to the rounding of the edges), in the order of the samples; the centres
// must be finite, ordered and inside [base, top]; the mode one of the
// fullest intervals' centres. Anything else must be refused with its status.
#include "analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#define check(condition) ((condition) ? (void)0 : fail(__LINE__))
[[noreturn]] static void fail(int line)
{
    fprintf(stderr, "check failed at line %d\n", line);
    abort();
}

// The interval that Histogram gives one sample, or -1 when it counts none.
static int intervalOf(double x, double base, double top, int intervals)
{
    std::vector<int> counts(intervals);
    check(Histogram(&x, 1, base, top, counts.data(), nullptr, intervals) == ANALYSIS_NO_ERROR);
    int found = -1;
    for (int k = 0; k < intervals; k++) {
        check(counts[k] == 0 || (counts[k] == 1 && found < 0));
        if (counts[k] == 1)
            found = k;
    }
    return found;
}

// Position of x in [base, top] in intervals, on halves so that no
// difference overflows, with the rounding that the edges may carry.
static void checkPosition(double x, int k, double base, double top, int intervals)
{
    const double halfSpan = top / 2 - base / 2;
    if (halfSpan == 0)
        return; // two neighbouring subnormals: nothing to place by
    const double position = (x / 2 - base / 2) / halfSpan * intervals;
    const double largest = std::max(std::fabs(base), std::fabs(top));
    const double slack = 1e-9 + 4 * (largest - std::nextafter(largest, 0.0)) / halfSpan * intervals;
    check(position >= k - slack && position <= k + 1 + slack);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int intervals = data[0] % 33; // 0 must be refused
    const bool fromSamples = data[1] & 1;
    data += 2;
    size -= 2;
    double base = 0, top = 0;
    if (!fromSamples) {
        if (size < 16)
            return 0;
        memcpy(&base, data, 8);
        memcpy(&top, data + 8, 8);
        data += 16;
        size -= 16;
    }
    const int n = (int)std::min<size_t>(size / 8, 64);
    if (n == 0)
        return 0;
    std::vector<double> samples(n);
    memcpy(samples.data(), data, n * 8);
    if (fromSamples) {
        int maxIndex = 0, minIndex = 0;
        check(MaxMin1D(samples.data(), n, &top, &maxIndex, &base, &minIndex) == ANALYSIS_NO_ERROR);
    }

    std::vector<int> counts(std::max(intervals, 1), -1);
    std::vector<double> axis(std::max(intervals, 1), NAN);
    double mode = NAN;
    const int status = Histogram(samples.data(), n, base, top, counts.data(), axis.data(), intervals);
    check(Mode(samples.data(), n, base, top, intervals, &mode) == status);
    const bool valid = std::isfinite(base) && std::isfinite(top) && base < top;
    check(status == (intervals < 1 ? ANALYSIS_ERR_INTERVALS
                     : valid       ? ANALYSIS_NO_ERROR
                                   : ANALYSIS_ERR_RANGE));
    if (status != ANALYSIS_NO_ERROR)
        return 0;

    for (int k = 0; k < intervals; k++) {
        check(std::isfinite(axis[k]) && axis[k] >= base && axis[k] <= top);
        check(k == 0 || axis[k] >= axis[k - 1]);
    }
    const int fullest = (int)(std::max_element(counts.begin(), counts.end()) - counts.begin());
    check(mode == axis[fullest]);

    const int first = intervalOf(base, base, top, intervals);
    check(first >= 0);
    checkPosition(base, first, base, top, intervals);
    check(intervalOf(top, base, top, intervals) == intervals - 1);
    std::vector<int> tally(intervals, 0);
    std::vector<std::pair<double, int>> placed;
    for (double x : samples) {
        const int k = intervalOf(x, base, top, intervals);
        check((k >= 0) == (x >= base && x <= top));
        if (k >= 0) {
            tally[k]++;
            checkPosition(x, k, base, top, intervals);
            placed.push_back({x, k});
        }
    }
    check(tally == std::vector<int>(counts.begin(), counts.end()));
    std::sort(placed.begin(), placed.end());
    for (size_t i = 1; i < placed.size(); i++)
        check(placed[i].second >= placed[i - 1].second);
    return 0;
}
