// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics of a sample array, numerically sound for readings with a large
// common part and a small spread (a 10 MHz reading with sub-hertz noise).
#include "analysis.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <limits>
#include <vector>

namespace
{

// Equal intervals of [base, top] for any finite base < top: edge(k) is the
// lower bound of interval k, edge(count) is top itself. The span top - base
// is never formed: it overflows for base -1e308 and top 1e308, and between
// two neighbouring readings near 1e-300 it is subnormal, where its inverse
// is infinite.
class Intervals
{
  public:
    Intervals(double base, double top, int count)
        : edges_(static_cast<std::size_t>(count) + 1), halfSpan_(top / 2 - base / 2), count_(count)
    {
        // Exact at both ends, monotonic, and finite between finite ends.
        for (int k = 0; k <= count; ++k)
            edges_[k] = std::lerp(base, top, static_cast<double>(k) / count);
    }

    double centre(int k) const { return std::midpoint(edges_[k], edges_[k + 1]); }

    // Interval of x, or -1 outside [base, top] (NaN included). Each interval
    // holds edge(k) <= x < edge(k + 1); the last one holds top too. The
    // estimate works on halves, which cannot overflow; it may be far off
    // (the half span of two subnormal ends can round to 0), so it is only a
    // start within the array, corrected against the edges so that a sample
    // on or near an edge lands on the right side whatever the rounding.
    int index(double x) const
    {
        const double base = edges_[0];
        const double top = edges_[count_];
        if (!(x >= base && x <= top))
            return -1;
        if (x == top)
            return count_ - 1;
        const double estimate = (x / 2 - base / 2) / halfSpan_ * count_;
        int k = estimate > 0 ? static_cast<int>(std::min(estimate, count_ - 1.0)) : 0;
        while (k > 0 && x < edges_[k])
            --k;
        while (k + 1 < count_ && x >= edges_[k + 1])
            ++k;
        return k;
    }

  private:
    std::vector<double> edges_;
    double halfSpan_;
    int count_;
};

int checkSamples(const double *array, int n)
{
    return array && n >= 1 ? ANALYSIS_NO_ERROR : ANALYSIS_ERR_SAMPLES;
}

int checkIntervals(const double *array, int n, double base, double top, int intervals)
{
    if (int status = checkSamples(array, n); status != ANALYSIS_NO_ERROR)
        return status;
    if (intervals < 1)
        return ANALYSIS_ERR_INTERVALS;
    if (!(std::isfinite(base) && std::isfinite(top) && top > base))
        return ANALYSIS_ERR_RANGE;
    return ANALYSIS_NO_ERROR;
}

// Counts per interval into `counts` (intervals entries).
void countSamples(const double *array, int n, const Intervals &bins, int counts[], int intervals)
{
    for (int k = 0; k < intervals; ++k)
        counts[k] = 0;
    for (int i = 0; i < n; ++i) {
        int k = bins.index(array[i]);
        if (k >= 0)
            ++counts[k];
    }
}

template <typename T> void store(T *out, T value)
{
    if (out)
        *out = value;
}

} // namespace

int MaxMin1D(const double *array, int n, double *max, int *maxIndex, double *min, int *minIndex)
{
    if (int status = checkSamples(array, n); status != ANALYSIS_NO_ERROR)
        return status;
    // NaN samples are passed over (every comparison with NaN is false); they
    // are the extremes only when all samples are NaN.
    int first = 0;
    while (first < n && std::isnan(array[first]))
        ++first;
    if (first == n)
        first = 0;
    int hi = first;
    int lo = first;
    double high = array[first];
    double low = array[first];
    for (int i = first + 1; i < n; ++i) {
        if (array[i] > high) {
            high = array[i];
            hi = i;
        }
        if (array[i] < low) {
            low = array[i];
            lo = i;
        }
    }
    store(max, array[hi]);
    store(maxIndex, hi);
    store(min, array[lo]);
    store(minIndex, lo);
    return ANALYSIS_NO_ERROR;
}

int StdDev(const double *array, int n, double *mean, double *stdDev)
{
    if (int status = checkSamples(array, n); status != ANALYSIS_NO_ERROR)
        return status;
    // A sample that is not finite: the mean is what the plain sum gives
    // (an infinity or NaN), and there is no deviation to speak of.
    if (!std::all_of(array, array + n, [](double x) { return std::isfinite(x); })) {
        double sum = 0.0;
        for (int i = 0; i < n; ++i)
            sum += array[i];
        store(mean, sum / n);
        store(stdDev, std::numeric_limits<double>::quiet_NaN());
        return ANALYSIS_NO_ERROR;
    }
    // Deviations from the first sample are exact for close readings, so the
    // large common part never enters a sum.
    const double origin = array[0];
    double shift = 0.0;
    for (int i = 0; i < n; ++i)
        shift += array[i] - origin;
    shift /= n;
    // Second pass around the mean, with the corrected two-pass term that
    // removes what rounding left in the mean.
    double squares = 0.0;
    double residual = 0.0;
    for (int i = 0; i < n; ++i) {
        double d = (array[i] - origin) - shift;
        squares += d * d;
        residual += d;
    }
    double variance = (squares - residual * residual / n) / n;
    store(mean, origin + shift);
    store(stdDev, std::sqrt(variance > 0.0 ? variance : 0.0));
    return ANALYSIS_NO_ERROR;
}

int Mode(const double *array, int n, double base, double top, int intervals, double *mode)
{
    if (int status = checkIntervals(array, n, base, top, intervals); status != ANALYSIS_NO_ERROR)
        return status;
    const Intervals bins(base, top, intervals);
    std::vector<int> counts(static_cast<std::size_t>(intervals));
    countSamples(array, n, bins, counts.data(), intervals);
    // The first of the fullest intervals: the lowest on a tie.
    auto fullest = static_cast<int>(std::max_element(counts.begin(), counts.end()) - counts.begin());
    store(mode, bins.centre(fullest));
    return ANALYSIS_NO_ERROR;
}

int Histogram(const double *array, int n, double base, double top, int histogram[], double axis[],
              int intervals)
{
    if (int status = checkIntervals(array, n, base, top, intervals); status != ANALYSIS_NO_ERROR)
        return status;
    if (!histogram)
        return ANALYSIS_ERR_SAMPLES;
    const Intervals bins(base, top, intervals);
    countSamples(array, n, bins, histogram, intervals);
    if (axis) {
        for (int k = 0; k < intervals; ++k)
            axis[k] = bins.centre(k);
    }
    return ANALYSIS_NO_ERROR;
}
