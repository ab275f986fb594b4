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

// The plain holder used until the dialogs exist, and by the tests.
class CurrentItemHolder : public CurrentItems {
  public:
    int GetCurrentChannel() const override { return channel_; }
    void SetCurrentChannel(int channel) override { channel_ = channel; }
    int GetCurrentLvdt() const override { return lvdt_; }
    void SetCurrentLvdt(int lvdt) override { lvdt_ = lvdt; }
    int GetCurrentAnalog() const override { return analog_; }
    void SetCurrentAnalog(int input) override { analog_ = input; }

  private:
    int channel_ = 1;
    int lvdt_ = 1;
    int analog_ = 1;
};

}  // namespace zelapp
