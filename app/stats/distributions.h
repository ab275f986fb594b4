// The distributions the statistics take from Boost.Math. A domain error or an overflow gives
// NaN or infinity, never an exception (bad data never stops the program), and the arithmetic
// stays in double: these run over every value of a period.
#pragma once

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/lognormal.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/weibull.hpp>

namespace zelapp {

namespace stats_policy {
using namespace boost::math::policies;
using Policy = policy<domain_error<ignore_error>, overflow_error<ignore_error>,
                      evaluation_error<ignore_error>, promote_double<false>>;
}  // namespace stats_policy

using NormalDistribution = boost::math::normal_distribution<double, stats_policy::Policy>;
using ChiSquaredDistribution = boost::math::chi_squared_distribution<double, stats_policy::Policy>;
using WeibullDistribution = boost::math::weibull_distribution<double, stats_policy::Policy>;
using LognormalDistribution = boost::math::lognormal_distribution<double, stats_policy::Policy>;

}  // namespace zelapp
