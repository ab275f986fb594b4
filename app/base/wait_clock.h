// Waiting while the program goes on: the real clock runs the event loop for the time asked,
// so windows repaint and timers fire; tests substitute a clock they advance themselves.
#pragma once

namespace zelapp {

class WaitClock {
  public:
    virtual ~WaitClock() = default;
    // Returns after `ms` milliseconds, having processed the events that arrived meanwhile.
    virtual void wait(int ms) = 0;
};

class EventLoopClock : public WaitClock {
  public:
    void wait(int ms) override;
};

}  // namespace zelapp
