// The numbers against SciPy's, computed by a python3 script over the same data: mean, sample
// standard deviation, Pp and Ppk from normal quantiles, d2 integrated and c4 from Gamma.
// Skipped, saying so, when python3 or SciPy is missing (make deps installs python3-scipy).
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <cmath>
#include <map>

#include "stats/control_constants.h"
#include "stats/process_stats.h"

using namespace zelapp;

namespace {

constexpr char kScript[] = R"(
import sys
from scipy import stats, integrate, special
values = [float(v) for v in sys.stdin.read().split()]
lo, hi = 9.90, 10.12
mean = sum(values) / len(values)
sd = stats.tstd(values)
# Pp from the normal quantiles the limits stand at, as a proportion of 3 sigma each side.
z_hi = stats.norm.ppf(stats.norm.cdf(hi, mean, sd))
z_lo = stats.norm.ppf(stats.norm.cdf(lo, mean, sd))
print("mean", mean)
print("sd", sd)
print("pp", (z_hi - z_lo) / 6)
print("ppk", min(z_hi, -z_lo) / 3)
for n in range(2, 26):
    d2 = integrate.quad(lambda x: 1 - stats.norm.cdf(x) ** n - stats.norm.sf(x) ** n,
                        -12, 12, limit=200)[0]
    c4 = (2 / (n - 1)) ** 0.5 * special.gamma(n / 2) / special.gamma((n - 1) / 2)
    print("d2_%d" % n, d2)
    print("c4_%d" % n, c4)
)";

// A fixed set of 60 values about 10.0, not normal but spread.
std::vector<double> dataSet() {
    std::vector<double> values;
    unsigned state = 12345;
    for (int i = 0; i < 60; ++i) {
        state = state * 1103515245u + 12345u;
        values.push_back(10.0 + (double((state >> 8) % 1000) - 480) / 10000.0);
    }
    return values;
}

}  // namespace

namespace {

// The first python3 that imports SciPy: the one on the PATH, else the system's, where
// python3-scipy installs it; empty when none does.
QString pythonWithScipy() {
    for (const char *candidate : {"python3", "/usr/bin/python3"}) {
        QProcess probe;
        probe.start(QString::fromLatin1(candidate),
                    {QStringLiteral("-c"), QStringLiteral("import scipy")});
        if (probe.waitForFinished(60000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0) {
            return QString::fromLatin1(candidate);
        }
    }
    return {};
}

}  // namespace

TEST(StatsAgainstScipy, MeanSigmaIndicesAndConstants) {
    const QString program = pythonWithScipy();
    if (program.isEmpty()) {
        GTEST_SKIP() << "python3 with SciPy is missing (install python3-scipy): not compared";
    }
    const std::vector<double> values = dataSet();
    QByteArray input;
    std::vector<SeriesValue> series;
    for (const double v : values) {
        input += QByteArray::number(v, 'g', 17) + '\n';
        series.push_back({qint64(series.size() + 1), qint64(series.size() + 1), {}, v, false});
    }
    QProcess python;
    python.start(program, {QStringLiteral("-c"), QString::fromLatin1(kScript)});
    ASSERT_TRUE(python.waitForStarted(30000));
    python.write(input);
    python.closeWriteChannel();
    ASSERT_TRUE(python.waitForFinished(120000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().constData();
    std::map<QString, double> expected;
    for (const QByteArray &line : python.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 2) {
            expected[QString::fromLatin1(fields[0])] = fields[1].toDouble();
        }
    }
    ASSERT_EQ(expected.size(), 4u + 2 * 24);

    StatsOptions options;
    options.limits.loTol = 9.90f;
    options.limits.hiTol = 10.12f;
    const StatsResult r = computeStats(series, options);
    const double lo = double(9.90f) - 9.90;  // the limits are floats: allow for their rounding
    const double hi = double(10.12f) - 10.12;
    EXPECT_NEAR(r.mean, expected[QStringLiteral("mean")], 1e-12);
    EXPECT_NEAR(*r.sigmaOverall, expected[QStringLiteral("sd")], 1e-12);
    const double slack = (std::abs(lo) + std::abs(hi)) / *r.sigmaOverall + 1e-9;
    EXPECT_NEAR(*r.pp.value, expected[QStringLiteral("pp")], slack);
    EXPECT_NEAR(*r.ppk.value, expected[QStringLiteral("ppk")], slack);
    for (int n = 2; n <= 25; ++n) {
        const ControlConstants &k = *controlConstants(n);
        EXPECT_NEAR(k.d2, expected[QStringLiteral("d2_%1").arg(n)], 2e-6) << n;
        EXPECT_NEAR(k.c4, expected[QStringLiteral("c4_%1").arg(n)], 1e-12) << n;
    }
}
