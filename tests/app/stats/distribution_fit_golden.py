#!/usr/bin/python3
# The golden figures of test_distribution_fit.cpp, made by SciPy (Debian 12: python3-scipy 1.10.1,
# python3-numpy 1.24.2), an implementation independent of ours:
#
#     /usr/bin/python3 tests/app/stats/distribution_fit_golden.py > golden.txt
#
# prints the data sets and the rows of each table as C++ initialisers, pasted into the test.
# The fits are SciPy's maximum likelihood with the location fixed at 0 (weibull_min.fit,
# foldnorm.fit, lognorm.fit with floc=0) under a tight Nelder-Mead (xtol = ftol = 1e-12: the
# default stops near 1e-5), and each is checked against its likelihood equations before it is
# printed. The quantiles, distribution functions and expected fractions are SciPy's ppf, cdf
# and sf of the fitted distributions.
import sys

import numpy as np
from scipy import optimize, stats

# Tolerance limits are single precision in the program: the same values here.
def f32(v):
    return float(np.float32(v))

# Run-out-like sets, rounded to the gauge's decimals, made with a fixed seed.
rng = np.random.default_rng(20240611)
SETS = {
    "runout40": np.round(rng.weibull(1.6, 40) * 0.008, 5),
    "tir60": np.round(np.abs(rng.normal(0.010, 0.006, 60)), 4),
    "flatness120": np.round(rng.lognormal(np.log(0.02), 0.45, 120), 5),
    # Heavier tailed than a half normal: the folded normal's best mu is 0.
    "porosity30": np.round(rng.weibull(0.9, 30) * 0.004, 5),
    "short10": np.array([0.0042, 0.0061, 0.0038, 0.0075, 0.0051,
                         0.0029, 0.0066, 0.0047, 0.0090, 0.0055]),
    # A run-out of exactly 0: only the folded normal takes it (ln 0 has no value).
    "withZero12": np.array([0.0, 0.0021, 0.0034, 0.0012, 0.0048, 0.0027,
                            0.0009, 0.0041, 0.0030, 0.0018, 0.0056, 0.0025]),
}


def tight(func, x0, args=(), disp=0):
    return optimize.fmin(func, x0, args=args, xtol=1e-12, ftol=1e-12, maxiter=200000,
                         maxfun=200000, disp=0)


def check(what, residual, limit=1e-7):
    if not abs(residual) < limit:
        sys.exit("%s: likelihood equation off by %g" % (what, residual))


def weibull(x):
    k, _, scale = stats.weibull_min.fit(x, floc=0, optimizer=tight)
    y = np.log(x)
    xk = x ** k
    # The profile equation in k and the scale's own.
    check("weibull k", np.sum(xk * y) / np.sum(xk) - 1 / k - np.mean(y))
    check("weibull scale", scale ** k / np.mean(xk) - 1)
    return ("Weibull", k, scale), stats.weibull_min(k, scale=scale)


def folded(x):
    c, _, scale = stats.foldnorm.fit(x, floc=0, optimizer=tight)
    mu, sigma = c * scale, scale
    half = stats.halfnorm.fit(x, floc=0, optimizer=tight)[1]
    loglik = np.sum(stats.foldnorm.logpdf(x, c, scale=scale))
    if np.sum(stats.halfnorm.logpdf(x, scale=half)) >= loglik - 1e-9:
        # The best is mu 0, the half normal, where the likelihood is flat to the fourth order
        # in mu: SciPy's fit of the half normal is the exact figure.
        mu, sigma = 0.0, half
        check("half normal", sigma ** 2 / np.mean(x ** 2) - 1)
    else:
        check("folded mu", np.mean(x * np.tanh(mu * x / sigma ** 2)) / mu - 1)
        check("folded sigma", (sigma ** 2 + mu ** 2) / np.mean(x ** 2) - 1)
    return ("FoldedNormal", mu, sigma), stats.foldnorm(mu / sigma, scale=sigma)


def lognormal(x):
    s, _, scale = stats.lognorm.fit(x, floc=0)
    y = np.log(x)
    check("lognormal mu", np.log(scale) - np.mean(y), 1e-12)
    check("lognormal sigma", s - np.std(y), 1e-12)
    return ("Lognormal", np.log(scale), s), stats.lognorm(s, scale=scale)


def normal(x):
    # The normal as the indices take it: the mean and the sample standard deviation.
    mean, sd = np.mean(x), np.std(x, ddof=1)
    return ("Normal", mean, sd), stats.norm(mean, sd)


FITS = {"Weibull": weibull, "FoldedNormal": folded, "Lognormal": lognormal, "Normal": normal}
SCIPY = {"Weibull": "weibull_min", "FoldedNormal": "foldnorm", "Lognormal": "lognorm",
         "Normal": "norm"}


SF = {"Weibull": ".sf", "FoldedNormal": "norm.sf both tails", "Lognormal": ".sf",
      "Normal": ".sf"}


def upper_tail(kind, dist, x):
    # foldnorm.sf is 1 - cdf in SciPy 1.10, which loses the far tail: SciPy's normal tails
    # summed instead.
    if kind != "FoldedNormal":
        return dist.sf(x)
    c, scale = dist.args[0], dist.kwds["scale"]
    return stats.norm.sf(x / scale - c) + stats.norm.sf(x / scale + c)


def num(v):
    return "kNone" if v is None else repr(float(v))


def row(*cells):
    print("    {%s}," % ", ".join(cells))


def print_sets():
    for name, x in SETS.items():
        print("const std::vector<double> %s = {%s};" % (name, ", ".join(num(v) for v in x)))


def print_fits():
    print("// fits: set, distribution, first parameter, second parameter, source")
    for name, x in SETS.items():
        kinds = ("Weibull", "FoldedNormal", "Lognormal") + (("Normal",) if name == "short10"
                                                            else ())
        if name == "withZero12":
            kinds = ("FoldedNormal",)
        for kind in kinds:
            (label, a, b), _ = FITS[kind](x)
            how = "halfnorm.fit" if kind == "FoldedNormal" and a == 0 else SCIPY[kind] + ".fit"
            row("&" + name, "Distribution::" + label, num(a), num(b),
                '"%s(%s, floc=0)"' % (how, name) if kind != "Normal" else '"mean, std(ddof=1)"')


# Each set with the distribution it was drawn like.
NATURAL = {"runout40": "Weibull", "tir60": "FoldedNormal", "porosity30": "FoldedNormal",
           "flatness120": "Lognormal", "short10": "Normal"}


def print_functions():
    print("// quantiles: distribution, parameters, p, quantile, source")
    for name, kind in NATURAL.items():
        (label, a, b), dist = FITS[kind](SETS[name])
        for p in (0.00135, 0.5, 0.99865) + ((1e-7,) if kind == "FoldedNormal" else ()):
            row("Distribution::" + label, num(a), num(b), num(p), num(dist.ppf(p)),
                '"%s.ppf, fit of %s"' % (SCIPY[kind], name))
    print("// cdf: distribution, parameters, x, cdf, sf, source")
    for name, kind in NATURAL.items():
        (label, a, b), dist = FITS[kind](SETS[name])
        for x in (0.0005, 0.01, 0.05):
            row("Distribution::" + label, num(a), num(b), num(x), num(dist.cdf(x)),
                num(upper_tail(kind, dist, x)),
                '"%s.cdf, %s, fit of %s"' % (SCIPY[kind], SF[kind], name))


# The limits each set is judged against (LoTol, HiTol), with both sides and run-out's one.
LIMITS = {"runout40": (0.0, 0.025, ("Both", "UpperOnly")),
          "tir60": (0.0, 0.03, ("Both", "UpperOnly")),
          "flatness120": (0.005, 0.06, ("Both", "LowerOnly")),
          "porosity30": (0.0, 0.02, ("Both",)),
          "short10": (0.002, 0.012, ("Both",))}


def print_capability():
    indices, ppm = [], []
    for name, (lo, hi, all_sides) in LIMITS.items():
        lo, hi = f32(lo), f32(hi)
        kind = NATURAL[name]
        (label, _, _), dist = FITS[kind](SETS[name])
        x_lo, x_med, x_hi = dist.ppf(0.00135), dist.ppf(0.5), dist.ppf(0.99865)
        ppu = (hi - x_med) / (x_hi - x_med)
        ppl = (x_med - lo) / (x_med - x_lo)
        below, above = dist.cdf(lo) * 1e6, upper_tail(kind, dist, hi) * 1e6
        for sides in all_sides:
            both = sides == "Both"
            u = ppu if sides != "LowerOnly" else None
            l = ppl if sides != "UpperOnly" else None
            b = below if sides != "UpperOnly" else None
            a = above if sides != "LowerOnly" else None
            head = ["&" + name, "Distribution::" + label, num(lo), num(hi),
                    "ToleranceSides::" + sides]
            source = '"%s.ppf at 0.00135, 0.5, 0.99865, fit of %s"' % (SCIPY[kind], name)
            indices.append(head + [num((hi - lo) / (x_hi - x_lo) if both else None),
                                   num(min(ppu, ppl) if both else None), num(u), num(l),
                                   source])
            ppm.append(head + [num(b), num(a), num((b or 0) + (a or 0)),
                               '"%s.cdf(lo), %s(hi), fit of %s"' % (SCIPY[kind], SF[kind], name)])
    print("// indices: set, distribution, lo, hi, sides, pp, ppk, ppu, ppl, source")
    for cells in indices:
        row(*cells)
    print("// ppm: set, distribution, lo, hi, sides, below, above, total, source")
    for cells in ppm:
        row(*cells)


print_sets()
print_fits()
print_functions()
print_capability()
