// A device watch the test fires itself: a device appearing in the device folder, when the test
// says so.
#pragma once

#include <functional>

#include "unit/device_watch.h"

namespace zeltest {

class ManualDeviceWatch : public zelapp::DeviceWatch {
  public:
    void setAppeared(std::function<void()> appeared) override { appeared_ = std::move(appeared); }
    void appear() {
        if (appeared_) {
            appeared_();
        }
    }

  private:
    std::function<void()> appeared_;
};

}  // namespace zeltest
