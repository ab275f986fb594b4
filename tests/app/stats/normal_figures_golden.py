#!/usr/bin/python3
"""Golden figures of the normal capability numbers, made independently of the C++ with SciPy.

Made with Debian 12's python3-scipy 1.10.1 and python3-numpy 1.24.2:

    /usr/bin/python3 tests/app/stats/normal_figures_golden.py |
        clang-format --assume-filename=tests/app/stats/normal_figures_golden.h \
        > tests/app/stats/normal_figures_golden.h

The tables:
  - chi-square bounds of Cp/Pp: scipy.stats.chi2.ppf;
  - Bissell's bounds of Cpk/Ppk/Cpu/...: the formula, written out here;
  - expected ppm of a normal: scipy.stats.norm.cdf and .sf;
  - Anderson-Darling A^2 (checked against scipy.stats.anderson's statistic) and its p-value by
    D'Agostino and Stephens' four pieces, written out here;
  - data sets through the whole computation: subgroups, sigma within of the period (d2 by
    scipy.integrate.quad, c4 by scipy.special.gamma), the indices, their bounds, the ppm and the
    test. Data sets are drawn from numpy's RandomState with fixed seeds and printed in full.
"""
import math

import numpy as np
from scipy import integrate, special, stats

NONE = None
SIDES = {"both": "ToleranceSides::Both", "upper": "ToleranceSides::UpperOnly",
         "lower": "ToleranceSides::LowerOnly"}


def d2(n):
    return integrate.quad(lambda x: 1 - stats.norm.cdf(x) ** n - stats.norm.sf(x) ** n,
                          -12, 12, limit=200, epsabs=1e-13, epsrel=1e-13)[0]


def c4(n):
    return math.sqrt(2 / (n - 1)) * special.gamma(n / 2) / special.gamma((n - 1) / 2)


def chi_square_bounds(index, n):
    if n < 2:
        return None
    v = n - 1
    return (index * math.sqrt(stats.chi2.ppf(0.025, v) / v),
            index * math.sqrt(stats.chi2.ppf(0.975, v) / v))


def bissell_bounds(index, n):
    if n < 2:
        return None
    half = 1.96 * math.sqrt(1 / (9 * n) + index ** 2 / (2 * (n - 1)))
    return (index - half, index + half)


def expected_ppm(mean, sigma, lo, hi, sides):
    below = stats.norm.cdf(lo, mean, sigma) * 1e6 if sides != "upper" else None
    above = stats.norm.sf(hi, mean, sigma) * 1e6 if sides != "lower" else None
    return below, above, (below or 0) + (above or 0)


def observed_ppm(values, lo, hi, sides):
    n = len(values)
    below = sum(1 for v in values if v < lo) / n * 1e6 if sides != "upper" else None
    above = sum(1 for v in values if v > hi) / n * 1e6 if sides != "lower" else None
    return below, above, (below or 0) + (above or 0)


def ad_p(a):
    """D'Agostino and Stephens; beyond the last parabola's turn p stays at its least."""
    if a >= 0.6:
        t = min(a, 5.709 / (2 * 0.0186))
        p = math.exp(1.2937 - 5.709 * t + 0.0186 * t * t)
    elif a >= 0.34:
        p = math.exp(0.9177 - 4.279 * a - 1.38 * a * a)
    elif a >= 0.2:
        p = 1 - math.exp(-8.318 + 42.796 * a - 59.938 * a * a)
    else:
        p = 1 - math.exp(-13.436 + 101.14 * a - 223.73 * a * a)
    return min(max(p, 0.0), 1.0)


def anderson_darling(values):
    n = len(values)
    if n < 8:
        return None
    x = np.sort(np.asarray(values, dtype=float))
    mean = x.mean()
    s = x.std(ddof=1)
    if not s > 0:
        return None
    z = (x - mean) / s
    i = np.arange(1, n + 1)
    a2 = -n - np.sum((2 * i - 1) * (stats.norm.logcdf(z) + stats.norm.logsf(z[::-1]))) / n
    check = stats.anderson(x, "norm").statistic  # SciPy's own, same sample mean and s
    assert abs(a2 - check) <= 1e-9 * abs(check), (a2, check)
    return a2, ad_p(a2 * (1 + 0.75 / n + 2.25 / n ** 2))


def period_figures(values, excluded, k, lo, hi, sides):
    """Everything computeStats gives for capability, from the definitions."""
    counted = [v for i, v in enumerate(values) if i not in excluded]
    n = len(counted)
    mean = float(np.mean(counted))
    sd = float(np.std(counted, ddof=1)) if n >= 2 else None
    # Sigma within over the subgroups that count: full and holding no excluded value.
    if k == 1:
        individuals = [i for i in range(len(values)) if i not in excluded]
        ranges = [abs(values[i] - values[i - 1]) for i in range(1, len(values))
                  if i not in excluded and i - 1 not in excluded]
        sigma_w = (np.mean(ranges) / d2(2)) if len(individuals) >= 2 and ranges else None
    else:
        groups = [list(range(f, min(f + k, len(values)))) for f in range(0, len(values), k)]
        full = [[values[i] for i in g] for g in groups
                if len(g) == k and not any(i in excluded for i in g)]
        if len(full) < 2:
            sigma_w = None
        elif k <= 10:
            sigma_w = np.mean([max(g) - min(g) for g in full]) / d2(k)
        else:
            sigma_w = np.mean([np.std(g, ddof=1) for g in full]) / c4(k)
    out = {"n": n, "mean": mean, "sigma_within": sigma_w, "sigma_overall": sd}
    for prefix, sigma in (("c", sigma_w), ("p", sd)):
        ok = n >= 2 and sigma is not None and sigma > 0
        both = (hi - lo) / (6 * sigma) if ok else None
        upper = (hi - mean) / (3 * sigma) if ok else None
        lower = (mean - lo) / (3 * sigma) if ok else None
        worst = min(upper, lower) if ok else None
        if sides == "upper":
            both = worst = lower = None
        if sides == "lower":
            both = worst = upper = None
        for name, value, bounds in ((prefix + "p", both, chi_square_bounds),
                                    (prefix + "pk", worst, bissell_bounds),
                                    (prefix + "pu", upper, bissell_bounds),
                                    (prefix + "pl", lower, bissell_bounds)):
            out[name] = value
            out[name + "_ci95"] = bounds(value, n) if value is not None else None
        out["ppm_" + ("within" if prefix == "c" else "overall")] = (
            expected_ppm(mean, sigma, lo, hi, sides) if ok else None)
    out["ppm_observed"] = observed_ppm(counted, lo, hi, sides) if n else None
    out["ad"] = anderson_darling(counted)
    return out


def data_sets():
    sets = []
    # The spread triples after part 100: the period's sigma within follows it, the limits'
    # does not.
    r = np.random.RandomState(4301)
    tripled = list(10 + 0.01 * r.standard_normal(100)) + list(10 + 0.03 * r.standard_normal(100))
    sets.append(("tripled spread, I-MR", tripled, [], 1, 9.9375, 10.0625, "both"))
    # Subgroups of 5 with an excluded value (its subgroup left out) and a short last one.
    r = np.random.RandomState(4302)
    sets.append(("X-bar R, k 5, one excluded, short last", list(25 + 0.02 * r.standard_normal(103)),
                 [37], 5, 24.9375, 25.0625, "both"))
    # Subgroups of 12, skewed (run-out like), the upper limit only.
    r = np.random.RandomState(4303)
    sets.append(("X-bar s, k 12, skewed, upper only", list(0.01 * r.lognormal(0, 0.5, 150)), [],
                 12, 0, 0.0625, "upper"))
    # Ten individuals, the lower limit only, off centre.
    r = np.random.RandomState(4304)
    sets.append(("I-MR, 10 values, lower only", list(2.5 + 0.1 * r.standard_normal(10)), [], 1,
                 2.25, 3, "lower"))
    # Wide: values outside both limits, so that some are observed out.
    r = np.random.RandomState(4305)
    sets.append(("I-MR, 50 values, some outside", list(5 + 0.5 * r.standard_normal(50)), [], 1,
                 4.25, 5.75, "both"))
    # Two values: the least for the indices and their bounds (v = 1).
    sets.append(("I-MR, 2 values", [1.0, 1.5], [], 1, 0, 2.5, "both"))
    return sets


def c_value(v):
    return "kNone" if v is None else repr(float(v))


def c_list(values):
    lines = []
    for i in range(0, len(values), 4):
        lines.append("      " + ", ".join(repr(float(v)) for v in values[i:i + 4]) + ",")
    return "\n".join(lines)


def main():
    print("// Made by normal_figures_golden.py beside it, whose first lines give the command:")
    print("// do not edit.")
    print("#pragma once\n\n#include <limits>\n#include <vector>\n")
    print('#include "model/tolerance.h"\n\nnamespace golden {\n')
    print("constexpr double kNone = std::numeric_limits<double>::quiet_NaN();\n")

    print("// Cp, Pp: index, n -> low, high (scipy.stats.chi2.ppf).")
    print("struct Bounds {\n    double index;\n    long long n;\n    double low, high;\n};")
    print("inline const std::vector<Bounds> kChiSquareBounds{")
    for index, n in ((1.33, 2), (1.33, 10), (1.0, 30), (2.5, 200), (0.0, 50), (1.67, 100000)):
        b = chi_square_bounds(index, n)
        print("    {%s, %d, %s, %s}," % (repr(index), n, c_value(b and b[0]), c_value(b and b[1])))
    print("    {1.33, 1, kNone, kNone},\n};\n")

    print("// Cpk, Ppk and the one-sided: index, n -> low, high (Bissell, written out in Python).")
    print("inline const std::vector<Bounds> kBissellBounds{")
    for index, n in ((1.33, 2), (1.33, 10), (0.8, 30), (-0.4, 30), (2.0, 200), (1.0, 100000)):
        b = bissell_bounds(index, n)
        print("    {%s, %d, %s, %s}," % (repr(index), n, c_value(b[0]), c_value(b[1])))
    print("    {1.33, 0, kNone, kNone},\n};\n")

    print("// mean, sigma, lo, hi, sides -> ppm below, above, in all (scipy.stats.norm).")
    print("struct Ppm {\n    double mean, sigma, lo, hi;\n    zelapp::ToleranceSides sides;\n"
          "    double below, above, total;\n};")
    print("inline const std::vector<Ppm> kExpectedPpm{")
    for mean, sigma, lo, hi, sides in ((10, 0.01, 9.97, 10.03, "both"),
                                       (10.01, 0.01, 9.97, 10.03, "both"),
                                       (0, 1, -6, 6, "both"), (0, 1, -1, 1, "both"),
                                       (5, 1, 4, 9, "upper"), (5, 1, 4, 9, "lower"),
                                       (12, 1, 8, 10, "both"), (0, 1, -40, 40, "both")):
        below, above, total = expected_ppm(mean, sigma, lo, hi, sides)
        print("    {%r, %r, %r, %r, zelapp::%s, %s, %s, %s}," %
              (float(mean), float(sigma), float(lo), float(hi), SIDES[sides], c_value(below),
               c_value(above), c_value(total)))
    print("};\n")

    print("// A* -> p (D'Agostino and Stephens, written out in Python).")
    print("struct AdP {\n    double adjusted, p;\n};")
    print("inline const std::vector<AdP> kAndersonDarlingP{")
    for a in (0.0, 0.1, 0.2, 0.25, 0.34, 0.45, 0.6, 1.0, 3.0, 10.0, 153.0, 153.5, 400.0):
        print("    {%r, %s}," % (a, c_value(ad_p(a))))
    print("};\n")

    sets = data_sets()
    print("// The data sets: values (in the order measured), the excluded ones' indices, the")
    print("// subgroup size, LoTol, HiTol (exact in float) and the sides.")
    print("struct DataSet {\n    const char *name;\n    std::vector<double> values;\n"
          "    std::vector<int> excluded;\n    int subgroup;\n    double lo, hi;\n"
          "    zelapp::ToleranceSides sides;\n};")
    print("inline const std::vector<DataSet> kDataSets{")
    for name, values, excluded, k, lo, hi, sides in sets:
        print('    {"%s",\n     {\n%s\n     },\n     {%s}, %d, %r, %r, zelapp::%s},' %
              (name, c_list(values), ", ".join(str(e) for e in excluded), k, lo, hi, SIDES[sides]))
    print("};\n")

    print("// Values -> A^2, p; kNone below 8 values or s 0. A row with a data set's number takes")
    print("// its values not excluded (-1: the row's own).")
    print("struct Ad {\n    const char *name;\n    int dataSet;\n    std::vector<double> values;\n"
          "    double a2, p;\n};")
    print("inline const std::vector<Ad> kAndersonDarling{")
    ad_sets = [(name, number, [v for i, v in enumerate(values) if i not in excluded])
               for number, (name, values, excluded, *_) in enumerate(sets)]
    ad_sets.append(("constant", -1, [7.0] * 30))
    ad_sets.append(("8 values", -1, [1.0, 2.0, 2.5, 3.0, 3.1, 3.3, 4.0, 9.0]))
    ad_sets.append(("7 values", -1, [1.0, 2.0, 2.5, 3.0, 3.1, 3.3, 4.0]))
    ad_sets.append(("one far out", -1, [0.0] * 199 + [1.0]))
    # Its z is beyond -37, where Phi underflows: A^2 stays finite.
    ad_sets.append(("one farther out than Phi reaches", -1, [0.0] * 1999 + [1.0]))
    for name, number, values in ad_sets:
        ad = anderson_darling(values)
        if number >= 0:
            listed = "{}"
        elif values[:-1] == [values[0]] * (len(values) - 1):  # all alike but the last
            listed = ("[] {\n std::vector<double> v(%d, %r);\n v.push_back(%r);\n return v;\n}()"
                      % (len(values) - 1, values[0], values[-1]))
        else:
            listed = "{\n%s\n}" % c_list(values)
        print('    {"%s", %d, %s, %s, %s},' %
              (name, number, listed, c_value(ad and ad[0]), c_value(ad and ad[1])))
    print("};\n")

    print("// Each data set through the computation: the figures as computeStats gives them.")
    print("struct Figures {\n    double sigmaWithin, sigmaOverall;\n"
          "    double cp, cpLow, cpHigh, cpk, cpkLow, cpkHigh, cpu, cpuLow, cpuHigh, cpl, cplLow,"
          " cplHigh;\n"
          "    double pp, ppLow, ppHigh, ppk, ppkLow, ppkHigh, ppu, ppuLow, ppuHigh, ppl, pplLow,"
          " pplHigh;\n"
          "    double withinBelow, withinAbove, withinTotal, overallBelow, overallAbove,"
          " overallTotal;\n"
          "    double observedBelow, observedAbove, observedTotal;\n    double a2, p;\n};")
    print("inline const std::vector<Figures> kFigures{")
    for name, values, excluded, k, lo, hi, sides in sets:
        f = period_figures(values, excluded, k, lo, hi, sides)
        row = [f["sigma_within"], f["sigma_overall"]]
        for prefix in ("c", "p"):
            for index in ("p", "pk", "pu", "pl"):
                key = prefix + index
                b = f[key + "_ci95"]
                row += [f[key], b and b[0], b and b[1]]
        for key in ("ppm_within", "ppm_overall", "ppm_observed"):
            row += list(f[key]) if f[key] else [None] * 3
        row += list(f["ad"]) if f["ad"] else [None, None]
        print("    // %s" % name)
        print("    {" + ", ".join(c_value(v) for v in row) + "},")
    print("};\n")
    print("}  // namespace golden")


if __name__ == "__main__":
    main()
