// How long the publisher waits before it tries the broker again: a refused password or an
// unreachable broker must never turn into a tight loop against the plant's broker.
#pragma once

namespace zelmqtt {

inline constexpr int kFirstDelayMs = 1000;
inline constexpr int kLongestDelayMs = 60000;

// The wait before attempt `failures + 1` after `failures` failed attempts in a row (1 or more):
// 1 s, 2 s, 4 s ... doubling up to 60 s, then 60 s for ever. 0 failures: no wait.
int reconnectDelayMs(int failures);

}  // namespace zelmqtt
