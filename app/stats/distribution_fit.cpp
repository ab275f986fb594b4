#include "stats/distribution_fit.h"

#include <algorithm>
#include <boost/math/constants/constants.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <limits>

#include "stats/distributions.h"
#include "stats/moments.h"

namespace zelapp {

namespace {

// A root to about 4 ulps; a bracket or a root not found in this many steps does not converge.
const boost::math::tools::eps_tolerance<double> kTolerance(std::numeric_limits<double>::digits - 2);
constexpr std::uintmax_t kMostSteps = 300;

const QString kNoConvergence = QStringLiteral("the fit does not converge");

// The mean of the squares about m, over n (the likelihood's, not the sample's n - 1).
double meanSquare(const std::vector<double> &x, double m) {
    return sumOfSquares(x, m) / double(x.size());
}

DistributionFit fitOf(Distribution kind, double a, double b) {
    const auto [first, second] = parameterNames(kind);
    return {kind, {{{first, a}, {second, b}}}, {}};
}

// Not fitted: the parameters keep their names, so a caller can say which are missing.
DistributionFit refused(Distribution kind, const QString &why) {
    DistributionFit fit = fitOf(kind, 0, 0);
    fit.reason = why;
    return fit;
}

// Weibull with location 0: k solves the profile equation
//   g(k) = sum(x^k ln x) / sum(x^k) - 1/k - mean(ln x) = 0,
// which rises strictly from -infinity (k -> 0) to ln max - mean(ln x) > 0, so it has one root;
// then lambda = mean(x^k)^(1/k). Over y = ln(x / max) <= 0, x^k never overflows.
DistributionFit fitWeibull(const std::vector<double> &x) {
    const double top = *std::max_element(x.begin(), x.end());
    std::vector<double> y;
    y.reserve(x.size());
    for (const double v : x) {
        y.push_back(std::log(v / top));
    }
    const double meanY = meanOf(y);
    const auto sums = [&y](double k) {
        double weights = 0;
        double weighted = 0;
        for (const double yi : y) {
            const double w = std::exp(k * yi);
            weights += w;
            weighted += w * yi;
        }
        return std::pair{weights, weighted};
    };
    const auto g = [&](double k) {
        const auto [weights, weighted] = sums(k);
        return weighted / weights - 1 / k - meanY;
    };
    // A Weibull's ln x has the standard deviation pi / (k sqrt 6): the first guess.
    const double sdY = std::sqrt(meanSquare(y, meanY));
    const double guess = boost::math::constants::pi<double>() / (sdY * std::sqrt(6.0));
    std::uintmax_t steps = kMostSteps;
    // Under the statistics' policy a root not bracketed comes back, not thrown, with no step
    // counted.
    const auto [low, high] = boost::math::tools::bracket_and_solve_root(
        g, guess, 2.0, true, kTolerance, steps, stats_policy::Policy());
    const double k = low + (high - low) / 2;
    if (steps >= kMostSteps || !std::isfinite(k) || !(k > 0)) {
        return refused(Distribution::Weibull, kNoConvergence);
    }
    const double scale = top * std::pow(sums(k).first / double(y.size()), 1 / k);
    return fitOf(Distribution::Weibull, k, scale);
}

// ln(2 cosh z) without overflow.
double logTwoCosh(double z) {
    const double a = std::abs(z);
    return a + std::log1p(std::exp(-2 * a));
}

// Folded normal with location 0. The likelihood's equations are
//   mu = mean(x tanh(mu x / sigma^2)) and sigma^2 = mean(x^2) - mu^2,
// so every stationary point lies on the curve sigma^2 = mean(x^2) - mu^2, 0 <= mu <= mean(x),
// and along it the likelihood rises exactly where h(mu) = mean(x tanh(mu x / sigma^2)) - mu is
// above 0. mu = 0 (the half normal) is always a root; the best of it and of each root where h
// falls through 0 is the maximum. Near 0, h ~ mu^3 (1 - m4 / (3 m2^2)): a half normal's kurtosis
// about 0 decides whether h starts above 0. Worked on x / sqrt(mean(x^2)).
DistributionFit fitFoldedNormal(const std::vector<double> &raw) {
    const double rms = std::sqrt(meanSquare(raw, 0));
    std::vector<double> x;
    x.reserve(raw.size());
    for (const double v : raw) {
        x.push_back(v / rms);
    }
    const double m = meanOf(x);
    const double variance = meanSquare(x, m);  // of the values, over n
    double m4 = 0;
    for (const double v : x) {
        m4 += v * v * v * v;
    }
    m4 /= double(x.size());
    // mean(x^2) - mu^2 without the cancellation near mu = mean(x).
    const auto sigma2 = [&](double mu) { return variance + (m - mu) * (m + mu); };
    const auto h = [&](double mu) {
        const double s2 = sigma2(mu);
        double sum = 0;
        for (const double v : x) {
            sum += v * std::tanh(mu * v / s2);
        }
        return sum / double(x.size()) - mu;
    };
    const auto logLikelihood = [&](double mu) {
        const double s2 = sigma2(mu);
        double sum = 0;
        for (const double v : x) {
            sum += logTwoCosh(mu * v / s2) - (v * v + mu * mu) / (2 * s2);
        }
        return sum - double(x.size()) / 2 * std::log(s2);
    };
    constexpr int kGrid = 16;
    std::vector<double> candidates;
    double before = 0;
    bool rising = 1 - m4 / 3 > 0;  // h just above 0
    for (int i = 1; i <= kGrid; ++i) {
        const double at = m * i / kGrid;
        const double value = h(at);
        if (rising && value <= 0) {
            // A bracket's left end where h is above 0: near 0, halve towards it.
            double left = before;
            for (int halving = 0; left == 0 && halving < 60; ++halving) {
                const double tried = at / std::pow(2.0, halving + 1);
                if (h(tried) > 0) {
                    left = tried;
                }
            }
            if (left > 0) {
                std::uintmax_t steps = kMostSteps;
                const auto [low, high] = boost::math::tools::toms748_solve(
                    h, left, at, h(left), value, kTolerance, steps, stats_policy::Policy());
                const double root = low + (high - low) / 2;
                if (steps >= kMostSteps || !std::isfinite(root)) {
                    return refused(Distribution::FoldedNormal, kNoConvergence);
                }
                candidates.push_back(root);
            }
        }
        rising = value > 0;
        before = at;
    }
    double mu = 0;
    double best = logLikelihood(0);
    for (const double candidate : candidates) {
        if (const double l = logLikelihood(candidate); l > best) {
            best = l;
            mu = candidate;
        }
    }
    return fitOf(Distribution::FoldedNormal, mu * rms, std::sqrt(sigma2(mu)) * rms);
}

// Lognormal with location 0: mu and sigma are the mean and the standard deviation (over n) of
// ln x, in closed form.
DistributionFit fitLognormal(const std::vector<double> &x) {
    std::vector<double> y;
    y.reserve(x.size());
    for (const double v : x) {
        y.push_back(std::log(v));
    }
    const double mu = meanOf(y);
    const double sigma = std::sqrt(meanSquare(y, mu));
    if (!(sigma > 0)) {
        return refused(Distribution::Lognormal, QStringLiteral("all values are equal"));
    }
    return fitOf(Distribution::Lognormal, mu, sigma);
}

DistributionFit fitNormal(const std::vector<double> &x) {
    const double mu = meanOf(x);
    const double n = double(x.size());
    return fitOf(Distribution::Normal, mu, std::sqrt(meanSquare(x, mu) * n / (n - 1)));
}

}  // namespace

DistributionFit fitDistribution(const std::vector<double> &values, Distribution kind) {
    if (values.size() < 2) {
        return refused(kind, QStringLiteral("fewer than 2 values"));
    }
    if (!std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); })) {
        return refused(kind, QStringLiteral("a value is not finite"));
    }
    const double least = *std::min_element(values.begin(), values.end());
    if ((kind == Distribution::Weibull || kind == Distribution::Lognormal) && !(least > 0)) {
        return refused(kind, QStringLiteral("a value is not above 0"));
    }
    if (kind == Distribution::FoldedNormal && least < 0) {
        return refused(kind, QStringLiteral("a value is below 0"));
    }
    if (least == *std::max_element(values.begin(), values.end())) {
        return refused(kind, QStringLiteral("all values are equal"));
    }
    if (kind == Distribution::Lognormal) {
        return fitLognormal(values);
    }
    // Fitted in units of the largest value, so that no square or power leaves the doubles;
    // the parameters the others fit scale with the values, but a Weibull's shape.
    const double unit = std::max(std::abs(least), *std::max_element(values.begin(), values.end()));
    std::vector<double> scaled;
    scaled.reserve(values.size());
    for (const double v : values) {
        scaled.push_back(v / unit);
    }
    DistributionFit fit = kind == Distribution::Weibull        ? fitWeibull(scaled)
                          : kind == Distribution::FoldedNormal ? fitFoldedNormal(scaled)
                                                               : fitNormal(scaled);
    for (FitParameter &parameter : fit.parameters) {
        if (parameter.name != QLatin1StringView("shape")) {
            parameter.value *= unit;
        }
    }
    if (fit.fitted() && !(std::isfinite(fit.parameters[0].value) &&
                          std::isfinite(fit.parameters[1].value) && fit.parameters[1].value > 0)) {
        return refused(kind, kNoConvergence);
    }
    return fit;
}

DistributionFit distributionWith(Distribution kind, double first, double second) {
    const bool valid = std::isfinite(first) && std::isfinite(second) && second > 0 &&
                       (kind != Distribution::Weibull || first > 0) &&
                       (kind != Distribution::FoldedNormal || first >= 0);
    if (!valid) {
        return refused(kind, QStringLiteral("the parameters are not valid"));
    }
    return fitOf(kind, first, second);
}

}  // namespace zelapp
