// An attempt runner the test drives: run() only keeps the attempt; finish() makes it and hands
// back its result, on the test's thread, when the test says so. Between the two the attempt
// counts as running.
#pragma once

#include <cstdint>
#include <functional>

#include "unit/unit_recovery.h"

namespace zeltest {

class DeferredRunner : public zelapp::AttemptRunner {
  public:
    void run(std::function<int32_t()> attempt, std::function<void(int32_t)> done) override {
        attempt_ = std::move(attempt);
        done_ = std::move(done);
    }
    bool pending() const { return static_cast<bool>(attempt_); }
    // Makes the kept attempt and hands back its result; false when none was kept.
    bool finish() {
        if (!attempt_) {
            return false;
        }
        auto attempt = std::move(attempt_);
        auto done = std::move(done_);
        attempt_ = nullptr;
        done_ = nullptr;
        done(attempt());
        return true;
    }

  private:
    std::function<int32_t()> attempt_;
    std::function<void(int32_t)> done_;
};

}  // namespace zeltest
