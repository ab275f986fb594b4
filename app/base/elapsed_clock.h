// Time as the program measures its own waits: milliseconds from a clock that never goes back.
// The scan measures its time with the unit by it; tests give one they advance themselves.
#pragma once

#include <QtGlobal>
#include <chrono>

namespace zelapp {

class ElapsedClock {
  public:
    virtual ~ElapsedClock() = default;
    virtual qint64 elapsedMs() const = 0;
};

class SteadyClock : public ElapsedClock {
  public:
    qint64 elapsedMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace zelapp
