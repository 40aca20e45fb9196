// SPDX-License-Identifier: GPL-3.0-or-later
// uct-stability: reads readings from a file or standard input and prints the
// stability table as CSV. Bad input gives one line on standard error and
// status 2, and standard output stays empty.
#include "stability.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

const char kUsage[] =
    "usage: uct-stability [--tau0 S] [--taus octave|decade|all|M1,M2,...] [--phase] [--nominal F] FILE|-\n"
    "\n"
    "Prints the Allan deviation (adev), overlapping ADEV (oadev), modified ADEV (mdev),\n"
    "time deviation (tdev), Hadamard deviation (hdev) and overlapping HDEV (ohdev) of the\n"
    "readings in FILE (- for standard input) as CSV: one line per averaging time tau, each\n"
    "deviation with its 68 % bounds (_lo, _hi) and number of terms (_n); alpha is the noise\n"
    "exponent the bounds assume (2 white PM ... -2 random walk FM).\n"
    "\n"
    "FILE is a recording of the soft front panel (time_s,value rows, an empty value for a\n"
    "missing reading), a histogram export, or one number per line.\n"
    "\n"
    "  --tau0 S      spacing of the readings in seconds (default: the median spacing of the\n"
    "                time stamps, else 1)\n"
    "  --taus LIST   averaging factors: octave (default), decade, all, or factors M1,M2,...\n"
    "                (multiples of tau0)\n"
    "  --phase       the readings are phase (time interval) in seconds (a recording of a time\n"
    "                interval says so itself); otherwise they are frequencies, analysed as\n"
    "                fractional frequency y = (f - f0) / f0\n"
    "  --nominal F   f0 for the fractional frequency (default: the mean of the readings)\n"
    "  --help        this text\n"
    "\n"
    "Exit status: 0 done, 1 the table could not be written, 2 bad input or options.\n";

double times[STABILITY_MAX_POINTS];
double values[STABILITY_MAX_POINTS];
int factors[STABILITY_MAX_POINTS / 2];
// Rows are computed and written this many at a time.
constexpr int kChunk = 4096;
StabilityRow rows[kChunk];

int fail(const char *format, const char *what)
{
    std::fprintf(stderr, "uct-stability: ");
    std::fprintf(stderr, format, what);
    std::fputc('\n', stderr);
    return 2;
}

bool positive(const char *text, double *value)
{
    char *end = nullptr;
    errno = 0;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0 && std::isfinite(*value) && *value > 0;
}

// A list of factors "M1,M2,...", each a whole number from 1 on.
int factorList(const char *text, int list[], int capacity)
{
    int count = 0;
    for (const char *at = text;; ++at) {
        char *end = nullptr;
        errno = 0;
        const long m = std::strtol(at, &end, 10);
        if (end == at || m < 1 || m > 1000000000 || errno != 0 || count == capacity ||
            (*end != ',' && *end != '\0'))
            return -1;
        list[count++] = static_cast<int>(m);
        at = end;
        if (*at == '\0')
            return count;
    }
}

struct Options {
    double tau0 = 0;
    double nominal = 0;
    int phase = 0;
    int spacing = STABILITY_OCTAVE;
    int listed = 0; // factors given on the command line
    const char *file = nullptr;
};

// 0 when the options are good, 1 for --help, else the exit status.
int parse(int argc, char *argv[], Options &o)
{
    for (int k = 1; k < argc; ++k) {
        const char *arg = argv[k];
        const bool takesValue =
            !std::strcmp(arg, "--tau0") || !std::strcmp(arg, "--taus") || !std::strcmp(arg, "--nominal");
        if (takesValue && k + 1 == argc)
            return fail("option %s needs a value", arg);
        if (!std::strcmp(arg, "--help")) {
            return 1;
        } else if (!std::strcmp(arg, "--phase")) {
            o.phase = 1;
        } else if (!std::strcmp(arg, "--tau0")) {
            if (!positive(argv[++k], &o.tau0))
                return fail("--tau0: not a positive number: %s", argv[k]);
        } else if (!std::strcmp(arg, "--nominal")) {
            if (!positive(argv[++k], &o.nominal))
                return fail("--nominal: not a positive number: %s", argv[k]);
        } else if (!std::strcmp(arg, "--taus")) {
            const char *list = argv[++k];
            o.listed = 0;
            if (!std::strcmp(list, "octave")) {
                o.spacing = STABILITY_OCTAVE;
            } else if (!std::strcmp(list, "decade")) {
                o.spacing = STABILITY_DECADE;
            } else if (!std::strcmp(list, "all")) {
                o.spacing = STABILITY_ALL;
            } else if ((o.listed = factorList(list, factors, kChunk)) < 0) {
                return fail("--taus: not octave, decade, all or up to 4096 factors M1,M2,...: %s", list);
            }
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return fail("unknown option %s (see --help)", arg);
        } else if (o.file) {
            return fail("more than one file: %s", arg);
        } else {
            o.file = arg;
        }
    }
    if (!o.file)
        return fail("%s", "no file given (see --help)");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    Options o;
    if (const int status = parse(argc, argv, o); status != 0) {
        if (status == 1)
            std::fputs(kUsage, stdout);
        return status == 1 ? 0 : status;
    }
    const bool standardInput = !std::strcmp(o.file, "-");
    // A named pipe is welcome here: a script may hand readings through one.
    FILE *file = standardInput ? stdin : std::fopen(o.file, "r");
    if (!file)
        return fail("%s: cannot be opened", o.file);
    StabilitySeriesInfo info{};
    char why[160] = "";
    const int read = StabilityReadSeries(file, times, values, STABILITY_MAX_POINTS, &info, why, sizeof why);
    if (!standardInput)
        std::fclose(file);
    char where[200];
    std::snprintf(where, sizeof where, "%s: %s", standardInput ? "standard input" : o.file, why);
    if (read != 0)
        return fail("%s", where);
    if (info.count < 3) {
        std::snprintf(where, sizeof where, "%s: fewer than 3 readings",
                      standardInput ? "standard input" : o.file);
        return fail("%s", where);
    }
    double tau0 = o.tau0 > 0 ? o.tau0 : 1.0;
    double spread = NAN;
    if (info.timed && StabilitySpacing(times, info.count, o.tau0 > 0 ? nullptr : &tau0, &spread) != 0)
        return fail("%s", "the time stamps do not increase");
    const int kind = o.phase ? STABILITY_PHASE : info.kind;
    double f0 = 0;
    if (kind == STABILITY_FREQUENCY && StabilityFractional(values, info.count, o.nominal, values, &f0) != 0)
        return fail("%s", "no reading, or a mean of zero: give --nominal");
    int count = o.listed;
    if (count == 0) {
        count = StabilityFactors(info.count, kind, o.spacing, factors, STABILITY_MAX_POINTS / 2);
    }
    for (int first = 0; first < count; first += kChunk) {
        const int chunk = count - first < kChunk ? count - first : kChunk;
        if (StabilityTable(values, info.count, kind, tau0, factors + first, chunk, rows, nullptr, nullptr) !=
            0)
            return fail("%s", "the table could not be computed");
        if (first == 0) {
            char warnings[512];
            if (StabilityWarnings(spread, info.aperture, tau0, rows, chunk, warnings, sizeof warnings) > 0)
                std::fprintf(stderr, "uct-stability: warning: %s\n", warnings);
        }
        if (StabilityWriteTable(stdout, rows, chunk, first == 0) != 0 || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "uct-stability: the table could not be written\n");
            return 1;
        }
    }
    return 0;
}
