// The current item of each setup dialog, kept across openings (1 the first time). The setup
// procedures move it when its item goes away; the dialogs read and set it.
#pragma once

namespace zelapp {

class CurrentItems {
  public:
    virtual ~CurrentItems() = default;
    virtual int GetCurrentChannel() const = 0;
    virtual void SetCurrentChannel(int channel) = 0;
    virtual int GetCurrentLvdt() const = 0;
    virtual void SetCurrentLvdt(int lvdt) = 0;
    virtual int GetCurrentAnalog() const = 0;
    virtual void SetCurrentAnalog(int input) = 0;
};

}  // namespace zelapp
