// Times two ways of doing the same call in alternating rounds. Each round's ratio compares
// neighbours in time, so slow drifts of the machine cancel out; the medians are reported.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <vector>

namespace zelbench {

struct Comparison {
    double baselineUs = 0.0;   // median microseconds per call
    double candidateUs = 0.0;  // median microseconds per call
    double ratio = 0.0;        // median of candidate / baseline per round
};

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds since `start` on the steady clock.
inline double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The value below which `share` (0..1) of the values lie, by the nearest rank.
inline double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

inline double microsecondsPerCall(int calls, const std::function<void()> &call) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) {
        call();
    }
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;
    return elapsed.count() / calls;
}

inline Comparison compareRounds(int calls, int rounds, const std::function<void()> &baseline,
                                const std::function<void()> &candidate) {
    microsecondsPerCall(calls, baseline);  // warm up both paths
    microsecondsPerCall(calls, candidate);
    std::vector<double> baselineTimes, candidateTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        double baselineUs = 0.0;
        double candidateUs = 0.0;
        if (round % 2 == 0) {
            baselineUs = microsecondsPerCall(calls, baseline);
            candidateUs = microsecondsPerCall(calls, candidate);
        } else {
            candidateUs = microsecondsPerCall(calls, candidate);
            baselineUs = microsecondsPerCall(calls, baseline);
        }
        baselineTimes.push_back(baselineUs);
        candidateTimes.push_back(candidateUs);
        ratios.push_back(candidateUs / baselineUs);
    }
    return {median(baselineTimes), median(candidateTimes), median(ratios)};
}

}  // namespace zelbench
