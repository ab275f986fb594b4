#include "zelmqtt_backoff.h"

namespace zelmqtt {

int reconnectDelayMs(int failures) {
    if (failures <= 0) {
        return 0;
    }
    int delay = kFirstDelayMs;
    for (int i = 1; i < failures && delay < kLongestDelayMs; ++i) {
        delay *= 2;
    }
    return delay < kLongestDelayMs ? delay : kLongestDelayMs;
}

}  // namespace zelmqtt
