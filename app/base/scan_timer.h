// The scan tick's switch. A dialog that talks to the unit itself turns it off around each
// exchange, so that no tick's reads interleave with its requests in the library's one request
// area; a tick that falls due meanwhile is skipped.
#pragma once

namespace zelapp {

class ScanTimer {
  public:
    virtual ~ScanTimer() = default;
    virtual void setTimerEnabled(bool enabled) = 0;
    virtual bool timerEnabled() const = 0;
};

}  // namespace zelapp
