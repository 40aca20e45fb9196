// SPDX-License-Identifier: GPL-3.0-or-later
// The Allan family of deviations over phase data, with the overlapping
// estimators on running sums so that a million readings stay interactive.
#include "stability.h"

#include "analysis.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

namespace
{

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

// ---------------------------------------------------------------- phase data

// Phase points with the segment each belongs to. Frequency data integrate to
// phase; a missing reading starts a new segment, since the phase after it is
// no longer known relative to the phase before. Missing phase points are NaN.
// A term is formed only from points of one segment.
struct Phase {
    std::vector<double> x;
    std::vector<int> segment;
    std::vector<long double> sum; // sum[k]: x[0] + ... + x[k-1], missing points as 0
    std::vector<int> missing;     // missing[k]: missing points among x[0 .. k-1]
    double tau0 = 1.0;

    int size() const { return static_cast<int>(x.size()); }
    bool same(int a, int b) const
    {
        return !std::isnan(x[a]) && !std::isnan(x[b]) && segment[a] == segment[b];
    }
    // Every point from a to b present and in one segment.
    bool whole(int a, int b) const { return missing[b + 1] == missing[a] && segment[a] == segment[b]; }
};

// Removes the least-squares line through the points: no deviation sees a
// line, and the running sums then stay small enough to keep their digits.
void removeLine(std::vector<double> &x)
{
    long double n = 0, sk = 0, sx = 0, skk = 0, skx = 0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        if (std::isnan(x[k]))
            continue;
        const long double kk = static_cast<long double>(k);
        n += 1;
        sk += kk;
        sx += x[k];
        skk += kk * kk;
        skx += kk * x[k];
    }
    if (n < 2)
        return;
    const long double slope = (n * skx - sk * sx) / (n * skk - sk * sk);
    const long double offset = (sx - slope * sk) / n;
    for (std::size_t k = 0; k < x.size(); ++k)
        x[k] = static_cast<double>(x[k] - (offset + slope * static_cast<long double>(k)));
}

void buildPhase(const double *data, int n, int kind, double tau0, Phase &p)
{
    p.tau0 = tau0;
    if (kind == STABILITY_PHASE) {
        p.x.assign(data, data + n);
        p.segment.assign(static_cast<std::size_t>(n), 0);
    } else {
        p.x.assign(static_cast<std::size_t>(n) + 1, 0.0);
        p.segment.assign(static_cast<std::size_t>(n) + 1, 0);
        long double phase = 0;
        for (int k = 0; k < n; ++k) {
            if (std::isnan(data[k])) {
                phase = 0;
                p.segment[k + 1] = p.segment[k] + 1;
            } else {
                phase += static_cast<long double>(data[k]) * tau0;
                p.segment[k + 1] = p.segment[k];
            }
            p.x[k + 1] = static_cast<double>(phase);
        }
    }
    removeLine(p.x);
    const std::size_t size = p.x.size();
    p.sum.assign(size + 1, 0.0L);
    p.missing.assign(size + 1, 0);
    for (std::size_t k = 0; k < size; ++k) {
        const bool gone = std::isnan(p.x[k]);
        p.sum[k + 1] = p.sum[k] + (gone ? 0.0L : p.x[k]);
        p.missing[k + 1] = p.missing[k] + (gone ? 1 : 0);
    }
}

// ----------------------------------------------------------- the deviations

struct Estimate {
    double variance = kNaN;
    int terms = 0;
};

Estimate finish(long double squares, int terms, double scale)
{
    Estimate e;
    e.terms = terms;
    if (terms > 0)
        e.variance = static_cast<double>(squares / terms) / scale;
    return e;
}

// Second (Allan) or third (Hadamard) differences of phase at factor m,
// every stride points.
Estimate differences(const Phase &p, int m, int order, int stride)
{
    const int n = p.size();
    long double squares = 0;
    int terms = 0;
    for (int i = 0; i + order * m < n; i += stride) {
        if (!p.same(i, i + order * m))
            continue;
        double d = 0;
        if (order == 2) {
            if (std::isnan(p.x[i + m]))
                continue;
            d = p.x[i + 2 * m] - 2 * p.x[i + m] + p.x[i];
        } else {
            if (std::isnan(p.x[i + m]) || std::isnan(p.x[i + 2 * m]))
                continue;
            d = p.x[i + 3 * m] - 3 * p.x[i + 2 * m] + 3 * p.x[i + m] - p.x[i];
        }
        squares += static_cast<long double>(d) * d;
        ++terms;
    }
    const double tau = m * p.tau0;
    return finish(squares, terms, (order == 2 ? 2.0 : 6.0) * tau * tau);
}

// Modified Allan variance: each term averages m second differences over the
// 3m points from j, taken from the running sums in constant time.
Estimate modified(const Phase &p, int m)
{
    const int n = p.size();
    long double squares = 0;
    int terms = 0;
    for (int j = 0; j + 3 * m <= n; ++j) {
        if (!p.whole(j, j + 3 * m - 1))
            continue;
        const long double s = p.sum[j + 3 * m] - 3 * p.sum[j + 2 * m] + 3 * p.sum[j + m] - p.sum[j];
        squares += s * s;
        ++terms;
    }
    const double tau = m * p.tau0;
    return finish(squares, terms, 2.0 * m * m * tau * tau);
}

// ------------------------------------------------------ noise identification

// Lag-1 autocorrelation of the points present (pairs across a segment
// boundary or a missing point left out).
double lagOne(const std::vector<double> &z, const std::vector<int> &segment, int *present)
{
    long double sum = 0;
    int n = 0;
    for (double v : z)
        if (!std::isnan(v)) {
            sum += v;
            ++n;
        }
    *present = n;
    if (n < 2)
        return kNaN;
    const long double mean = sum / n;
    long double num = 0, den = 0;
    for (std::size_t k = 0; k < z.size(); ++k) {
        if (std::isnan(z[k]))
            continue;
        den += (z[k] - mean) * (z[k] - mean);
        if (k + 1 < z.size() && !std::isnan(z[k + 1]) && segment[k] == segment[k + 1])
            num += (z[k] - mean) * (z[k + 1] - mean);
    }
    return den > 0 ? static_cast<double>(num / den) : kNaN;
}

// Fewer points than this at a factor leave the lag-1 estimate too uncertain
// (its spread is about 1/sqrt(points), and one step too far doubles or
// divides the degrees of freedom tenfold); the noise type then comes from the
// next shorter factor.
constexpr int kIdentifyPoints = 100;
constexpr int kMaxDifferences = 2;

// Noise exponent alpha at factor m from the lag-1 autocorrelation of the
// phase taken every m points, differenced until it looks stationary
// (delta below 1/4); then p = -2 (delta + d) and alpha = p + 2. Returns
// false when there are too few points.
bool identify(const Phase &p, int m, int *alpha)
{
    std::vector<double> z;
    std::vector<int> segment;
    for (int k = 0; k < p.size(); k += m) {
        z.push_back(p.x[k]);
        segment.push_back(p.segment[k]);
    }
    for (int d = 0;; ++d) {
        int present = 0;
        const double r1 = lagOne(z, segment, &present);
        if (present < kIdentifyPoints || std::isnan(r1))
            return false;
        const double delta = r1 / (1 + r1);
        if (delta < 0.25 || d == kMaxDifferences) {
            const double exponent = -2 * (delta + d) + 2;
            *alpha = std::clamp(static_cast<int>(std::lround(exponent)), -2, 2);
            return true;
        }
        for (std::size_t k = 0; k + 1 < z.size(); ++k)
            z[k] = segment[k] == segment[k + 1] ? z[k + 1] - z[k] : kNaN;
        z.pop_back();
        segment.pop_back();
    }
}

// ------------------------------------------- equivalent degrees of freedom

// Generalised autocovariance of the integrated phase for noise exponent
// alpha (the sign is immaterial: only ratios of squares are used).
double sw(double t, int alpha)
{
    const double a = std::fabs(t);
    switch (alpha) {
    case 2:
        return -a;
    case 1:
        return a == 0 ? 0 : t * t * std::log(a);
    case 0:
        return a * a * a;
    case -1:
        return a == 0 ? 0 : -t * t * t * t * std::log(a);
    default:
        return -a * a * a * a * a;
    }
}

// Phase averaged over 1/F (in units of tau); F infinite samples it.
double sx(double t, double f, int alpha)
{
    if (std::isinf(f))
        return sw(t, alpha + 2);
    return f * f * (2 * sw(t, alpha) - sw(t - 1 / f, alpha) - sw(t + 1 / f, alpha));
}

// Covariance of two terms t apart: the d-fold difference of sx.
double sz(double t, double f, int alpha, int d)
{
    static const double weights[4][4] = {{1}, {2, -1}, {6, -4, 1}, {20, -15, 6, -1}};
    double s = weights[d][0] * sx(t, f, alpha);
    for (int k = 1; k <= d; ++k)
        s += weights[d][k] * (sx(t - k, f, alpha) + sx(t + k, f, alpha));
    return s;
}

// Beyond this many lags the sum over lags is evaluated on a coarser grid: its
// terms vary smoothly between whole multiples of tau.
constexpr int kExactLags = 2000;

// Sum of the squared correlations of M terms whose covariance reaches J lags
// (stride 1/S in tau).
double basicSum(int J, int M, int S, double f, int alpha, int d, bool exact)
{
    auto term = [&](double j) {
        const double c = sz(j / S, f, alpha, d);
        return 2 * (1 - j / M) * c * c;
    };
    const double zero = sz(0, f, alpha, d);
    double sum = zero * zero;
    const double last = sz(static_cast<double>(J) / S, f, alpha, d);
    sum += (1 - static_cast<double>(J) / M) * last * last;
    if (exact || J <= kExactLags) {
        for (int j = 1; j < J; ++j)
            sum += term(j);
        return sum;
    }
    // Trapezoid over [0, J] less the two end points of the sum.
    const double h = static_cast<double>(J) / kExactLags;
    double inner = 0;
    for (int k = 1; k < kExactLags; ++k)
        inner += term(k * h);
    return sum + h * inner + (h - 1) * (term(0) + term(J)) / 2;
}

double binomial(int n, int k)
{
    double b = 1;
    for (int i = 1; i <= k; ++i)
        b = b * (n - k + i) / i;
    return b;
}

// Equivalent degrees of freedom of a variance of M terms (Greenhall's
// generalised method): d the order of difference, factor m, stride S (m when
// overlapping, 1 when not), modified or not.
double edf(int alpha, int d, int m, int M, int S, bool isModified)
{
    if (M < 1)
        return kNaN;
    const double r = static_cast<double>(M) / S;
    if (!isModified && alpha == 2 && std::ceil(r) > d) {
        const double a0 = binomial(4 * d, 2 * d) / (binomial(2 * d, d) * binomial(2 * d, d));
        return 1 / ((a0 - d / 2.0 / r) / M);
    }
    double f = m;
    if (isModified)
        f = 1;
    else if (alpha <= 0 && static_cast<long>(m) * (d + 1) > 1000)
        f = kInfinity; // the sampling no longer shows: avoids cancellation
    const int J = static_cast<int>(std::min<long>(M, static_cast<long>(d + 1) * S));
    const double zero = sz(0, f, alpha, d);
    return zero * zero * M / basicSum(J, M, S, f, alpha, d, !isModified && alpha == 2);
}

// ------------------------------------------------------------ chi-squared

// Regularised lower incomplete gamma function P(a, x).
double gammaP(double a, double x)
{
    if (x <= 0)
        return 0;
    const double front = std::exp(-x + a * std::log(x) - std::lgamma(a));
    if (x < a + 1) {
        double ap = a, term = 1 / a, sum = term;
        for (int i = 0; i < 100000 && std::fabs(term) > std::fabs(sum) * 1e-16; ++i) {
            ap += 1;
            term *= x / ap;
            sum += term;
        }
        return sum * front;
    }
    const double tiny = 1e-300;
    double b = x + 1 - a, c = 1 / tiny, dd = 1 / b, h = dd;
    for (int i = 1; i < 100000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        dd = an * dd + b;
        if (std::fabs(dd) < tiny)
            dd = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        dd = 1 / dd;
        const double step = dd * c;
        h *= step;
        if (std::fabs(step - 1) < 1e-16)
            break;
    }
    return 1 - front * h;
}

// The chi-squared value with nu degrees of freedom below which lies the
// probability that a normal variate has below z: Wilson-Hilferty's start,
// then bisection kept by Newton steps.
double chiSquared(double nu, double z)
{
    const double p = 0.5 * std::erfc(-z / std::sqrt(2.0));
    const double w = 1 - 2 / (9 * nu) + z * std::sqrt(2 / (9 * nu));
    double x = std::max(nu * w * w * w, 1e-300);
    double lo = 0, hi = std::max(2 * x, 10.0);
    while (gammaP(nu / 2, hi / 2) < p)
        hi *= 2;
    for (int i = 0; i < 200; ++i) {
        const double miss = gammaP(nu / 2, x / 2) - p;
        (miss < 0 ? lo : hi) = x;
        const double density = std::exp((nu / 2 - 1) * std::log(x / 2) - x / 2 - std::lgamma(nu / 2)) / 2;
        double next = density > 0 ? x - miss / density : kNaN;
        if (!(next > lo && next < hi))
            next = (lo + hi) / 2;
        if (std::fabs(next - x) <= 1e-13 * x)
            return next;
        x = next;
    }
    return x;
}

void fill(StabilityValue &v, const Estimate &e, double scale, double dof)
{
    v.terms = e.terms;
    v.deviation = std::sqrt(e.variance) * scale;
    v.edf = dof;
    v.low = v.high = kNaN;
    if (e.terms > 0)
        StabilityBounds(v.deviation, dof, &v.low, &v.high);
}

void computeRow(const Phase &p, int m, int alpha, StabilityRow &row)
{
    const double tau = m * p.tau0;
    const Estimate adev = differences(p, m, 2, m), oadev = differences(p, m, 2, 1);
    const Estimate mdev = modified(p, m);
    const Estimate hdev = differences(p, m, 3, m), ohdev = differences(p, m, 3, 1);
    fill(row.value[STABILITY_ADEV], adev, 1, edf(alpha, 2, m, adev.terms, 1, false));
    fill(row.value[STABILITY_OADEV], oadev, 1, edf(alpha, 2, m, oadev.terms, m, false));
    const double mdof = edf(alpha, 2, m, mdev.terms, m, true);
    fill(row.value[STABILITY_MDEV], mdev, 1, mdof);
    fill(row.value[STABILITY_TDEV], mdev, tau / std::sqrt(3.0), mdof);
    fill(row.value[STABILITY_HDEV], hdev, 1, edf(alpha, 3, m, hdev.terms, 1, false));
    fill(row.value[STABILITY_OHDEV], ohdev, 1, edf(alpha, 3, m, ohdev.terms, m, false));
}

// ------------------------------------------------------------- background

std::atomic<bool> running{false};
std::atomic<bool> cancelRequested{false};

// The worker thread; a program that ends while it runs (or before its end
// was polled) stops and joins it rather than abort on a joinable thread.
struct Worker {
    std::thread thread;
    bool joinable() const { return thread.joinable(); }
    void join() { thread.join(); }
    ~Worker()
    {
        cancelRequested = true;
        if (thread.joinable())
            thread.join();
    }
} worker;
std::atomic<double> fractionDone{0.0};
std::atomic<int> workerStatus{ANALYSIS_NO_ERROR};

int reportProgress(void *, double done)
{
    fractionDone.store(done);
    return cancelRequested.load() ? 1 : 0;
}

// ---------------------------------------------------------------- reading

bool number(const char *begin, const char *end, double *value)
{
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r' || end[-1] == '\n'))
        --end;
    if (begin < end && *begin == '+')
        ++begin;
    const auto [last, error] = std::from_chars(begin, end, *value);
    return begin < end && error == std::errc() && last == end;
}

bool blank(const char *begin, const char *end)
{
    for (; begin < end; ++begin)
        if (*begin != ' ' && *begin != '\t' && *begin != '\r' && *begin != '\n')
            return false;
    return true;
}

// Bounded copy, always terminated (size at least 1).
void copyText(char *to, int size, const char *from)
{
    int k = 0;
    for (; k + 1 < size && from[k]; ++k)
        to[k] = from[k];
    to[k] = '\0';
}

// A "# key: value" line of a recording's header.
void headerLine(const char *line, StabilitySeriesInfo *info)
{
    char key[32] = "", value[64] = "";
    if (std::sscanf(line, "# %31[^:]: %63[^\r\n]", key, value) != 2)
        return;
    if (std::strcmp(key, "data") == 0)
        info->kind = std::strcmp(value, "phase") == 0 ? STABILITY_PHASE : STABILITY_FREQUENCY;
    else if (std::strcmp(key, "unit") == 0)
        copyText(info->unit, sizeof info->unit, value);
    else if (std::strcmp(key, "aperture_s") == 0 &&
             !number(value, value + std::strlen(value), &info->aperture))
        info->aperture = kNaN;
}

void appendNumber(std::FILE *file, double value, bool *ok)
{
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value);
    *result.ptr = '\0';
    if (std::fprintf(file, ",%s", std::isnan(value) ? "" : text) < 0)
        *ok = false;
}

} // namespace

int StabilityFactors(int n, int kind, int spacing, int factors[], int capacity)
{
    const long points = kind == STABILITY_PHASE ? n : static_cast<long>(n) + 1;
    const long largest = (points - 1) / 2;
    int count = 0;
    for (long m = 1; m <= largest && count < capacity;) {
        factors[count++] = static_cast<int>(m);
        if (spacing == STABILITY_ALL) {
            ++m;
        } else if (spacing == STABILITY_DECADE) {
            long decade = 1;
            while (decade * 10 <= m)
                decade *= 10;
            const long lead = m / decade;
            m = lead == 1 ? 2 * decade : lead == 2 ? 5 * decade : 10 * decade;
        } else {
            m *= 2;
        }
    }
    return count;
}

int StabilityTable(const double *data, int n, int kind, double tau0, const int factors[], int count,
                   StabilityRow rows[], StabilityProgressPtr progress, void *context)
{
    if (!data || n < 1 || !factors || !rows || count < 0)
        return ANALYSIS_ERR_SAMPLES;
    if (!(std::isfinite(tau0) && tau0 > 0))
        return ANALYSIS_ERR_TAU;
    Phase p;
    buildPhase(data, n, kind, tau0, p);
    // White frequency noise until the data say otherwise: the counter's own
    // noise at short averaging times, and the first row needs a type.
    int alpha = 0;
    for (int k = 0; k < count; ++k) {
        if (progress && progress(context, static_cast<double>(k) / count))
            return ANALYSIS_ERR_CANCELLED;
        StabilityRow &row = rows[k];
        const int m = std::max(factors[k], 1);
        row.factor = m;
        row.tau = m * tau0;
        row.measured = identify(p, m, &alpha) ? 1 : 0;
        row.alpha = alpha;
        computeRow(p, m, alpha, row);
    }
    if (progress)
        progress(context, 1.0);
    return ANALYSIS_NO_ERROR;
}

int StabilityStart(const double *data, int n, int kind, double tau0, const int factors[], int count,
                   StabilityRow rows[])
{
    if (running.load())
        return ANALYSIS_ERR_BUSY;
    if (worker.joinable())
        worker.join();
    cancelRequested = false;
    fractionDone = 0.0;
    running = true;
    worker.thread = std::thread([=] {
        workerStatus = StabilityTable(data, n, kind, tau0, factors, count, rows, reportProgress, nullptr);
        running = false;
    });
    return ANALYSIS_NO_ERROR;
}

int StabilityPoll(double *done, int *status)
{
    if (done)
        *done = fractionDone.load();
    if (running.load())
        return 1;
    if (worker.joinable())
        worker.join();
    if (status)
        *status = workerStatus.load();
    return 0;
}

void StabilityCancel(void)
{
    cancelRequested = true;
    if (worker.joinable())
        worker.join();
    running = false;
}

int StabilityFractional(const double *values, int n, double nominal, double y[], double *usedNominal)
{
    if (!values || !y || n < 1)
        return ANALYSIS_ERR_SAMPLES;
    double reference = nominal;
    if (reference == 0) {
        // Mean about the first reading present, so a large common part never
        // enters the sum.
        int first = 0;
        while (first < n && std::isnan(values[first]))
            ++first;
        if (first == n)
            return ANALYSIS_ERR_SAMPLES;
        long double shift = 0;
        int present = 0;
        for (int k = first; k < n; ++k)
            if (!std::isnan(values[k])) {
                shift += values[k] - values[first];
                ++present;
            }
        reference = values[first] + static_cast<double>(shift / present);
    }
    if (!(std::isfinite(reference) && reference != 0))
        return ANALYSIS_ERR_RANGE;
    for (int k = 0; k < n; ++k)
        y[k] = (values[k] - reference) / reference;
    if (usedNominal)
        *usedNominal = reference;
    return ANALYSIS_NO_ERROR;
}

int StabilitySpacing(const double *times, int n, double *median, double *spread)
{
    if (!times || n < 2)
        return ANALYSIS_ERR_SAMPLES;
    std::vector<double> gaps(static_cast<std::size_t>(n) - 1);
    for (int k = 1; k < n; ++k)
        gaps[k - 1] = times[k] - times[k - 1];
    std::vector<double> sorted = gaps;
    const std::size_t half = sorted.size() / 2;
    std::nth_element(sorted.begin(), sorted.begin() + half, sorted.end());
    double mid = sorted[half];
    if (sorted.size() % 2 == 0)
        mid = (mid + *std::max_element(sorted.begin(), sorted.begin() + half)) / 2;
    if (!(mid > 0))
        return ANALYSIS_ERR_TAU;
    double worst = 0;
    for (double g : gaps)
        worst = std::max(worst, std::fabs(g - mid) / mid);
    if (median)
        *median = mid;
    if (spread)
        *spread = worst;
    return ANALYSIS_NO_ERROR;
}

int StabilityBounds(double deviation, double edf, double *low, double *high)
{
    if (!(edf > 0 && std::isfinite(edf)))
        return ANALYSIS_ERR_SAMPLES;
    if (low)
        *low = deviation * std::sqrt(edf / chiSquared(edf, 1));
    if (high)
        *high = deviation * std::sqrt(edf / chiSquared(edf, -1));
    return ANALYSIS_NO_ERROR;
}

int StabilityWarnings(double spread, double aperture, double tau0, const StabilityRow rows[], int count,
                      char *text, int size)
{
    int warnings = 0;
    int used = 0;
    auto add = [&](const char *line) {
        const int written = std::snprintf(text + used, static_cast<std::size_t>(size - used), "%s%s",
                                          warnings ? "\n" : "", line);
        used = std::min(size - 1, used + std::max(written, 0));
        ++warnings;
    };
    if (size < 1)
        return 0;
    text[0] = '\0';
    char line[160];
    if (spread > 0.01) {
        std::snprintf(line, sizeof line, "time stamps vary by up to %.1f %% of their spacing", 100 * spread);
        add(line);
    }
    // Dead time leaves white frequency noise unbiased; every other type is
    // biased by an amount that depends on the type and the dead-time ratio.
    bool otherNoise = false;
    for (int k = 0; k < count; ++k)
        otherNoise = otherNoise || rows[k].alpha != 0;
    const double dead = 1 - aperture / tau0;
    if (dead > 0.01 && otherNoise) {
        std::snprintf(line, sizeof line,
                      "dead time is %.0f %% of the spacing: the noise is not all white FM, so the "
                      "deviations are biased",
                      100 * dead);
        add(line);
    }
    return warnings;
}

const char *StabilityNoiseName(int alpha)
{
    static const char *const names[] = {"random walk FM", "flicker FM", "white FM", "flicker PM", "white PM"};
    return names[std::clamp(alpha, -2, 2) + 2];
}

int StabilityReadSeries(FILE *file, double times[], double values[], int capacity, StabilitySeriesInfo *info,
                        char *why, int whySize)
{
    StabilitySeriesInfo found{0, 1, STABILITY_FREQUENCY, kNaN, ""};
    char line[512];
    int untimed = 0;
    for (int lineNumber = 1; std::fgets(line, sizeof line, file); ++lineNumber) {
        const std::size_t length = std::strlen(line);
        if (length == sizeof line - 1 && line[length - 1] != '\n') {
            std::snprintf(why, static_cast<std::size_t>(whySize), "line %d: longer than %d characters",
                          lineNumber, static_cast<int>(sizeof line) - 2);
            return ANALYSIS_ERR_FILE;
        }
        char *end = line + length;
        if (line[0] == '#') {
            headerLine(line, &found);
            continue;
        }
        if (blank(line, end) || std::strncmp(line, "time_s,value", 12) == 0 ||
            std::strncmp(line, "Data,Min,Mean,Max,StdDev,Mode", 29) == 0)
            continue;
        if (found.count == capacity) {
            std::snprintf(why, static_cast<std::size_t>(whySize), "line %d: more than %d readings",
                          lineNumber, capacity);
            return ANALYSIS_ERR_FILE;
        }
        int commas = 0;
        char *comma = nullptr;
        for (char *c = line; c < end; ++c)
            if (*c == ',' && commas++ == 0)
                comma = c;
        double time = kNaN, value = kNaN;
        bool ok = true;
        if (commas == 1) {
            // time_s,value: an empty value is a reading that failed.
            ok = number(line, comma, &time) && (blank(comma + 1, end) || number(comma + 1, end, &value));
        } else if (commas == 5 || commas == 0) {
            // A histogram export's first line carries the statistics after the sample.
            ok = number(line, commas ? comma : end, &value);
            ++untimed;
        } else {
            ok = false;
        }
        if (!ok || std::isinf(value) || std::isinf(time)) {
            std::snprintf(why, static_cast<std::size_t>(whySize), "line %d: not a reading: %.40s", lineNumber,
                          line);
            const std::size_t shown = std::strlen(why);
            if (shown > 0 && why[shown - 1] == '\n')
                why[shown - 1] = '\0';
            return ANALYSIS_ERR_FILE;
        }
        if (times)
            times[found.count] = time;
        values[found.count++] = value;
    }
    if (std::ferror(file)) {
        copyText(why, whySize, "the file could not be read");
        return ANALYSIS_ERR_FILE;
    }
    if (untimed > 0 && untimed < found.count) {
        copyText(why, whySize, "some readings carry a time stamp and some do not");
        return ANALYSIS_ERR_FILE;
    }
    found.timed = found.count > 0 && untimed == 0;
    if (info)
        *info = found;
    return ANALYSIS_NO_ERROR;
}

int StabilityWriteTable(FILE *file, const StabilityRow rows[], int count, int header)
{
    static const char *const names[STABILITY_KINDS] = {"adev", "oadev", "mdev", "tdev", "hdev", "ohdev"};
    bool ok = true;
    if (header) {
        ok = std::fprintf(file, "tau,m,alpha") >= 0;
        for (const char *name : names)
            ok = ok && std::fprintf(file, ",%s,%s_lo,%s_hi,%s_n", name, name, name, name) >= 0;
        ok = ok && std::fputc('\n', file) != EOF;
    }
    for (int k = 0; k < count && ok; ++k) {
        char tau[40];
        *std::to_chars(tau, tau + sizeof tau - 1, rows[k].tau).ptr = '\0';
        ok = std::fprintf(file, "%s,%d,%d", tau, rows[k].factor, rows[k].alpha) >= 0;
        for (const StabilityValue &v : rows[k].value) {
            appendNumber(file, v.deviation, &ok);
            appendNumber(file, v.low, &ok);
            appendNumber(file, v.high, &ok);
            ok = ok && std::fprintf(file, ",%d", v.terms) >= 0;
        }
        ok = ok && std::fputc('\n', file) != EOF;
    }
    return ok ? 0 : -1;
}
