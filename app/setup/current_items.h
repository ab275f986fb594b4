// The current item of each setup dialog as the setup procedures see it: before a smaller
// count removes items, they move a dialog that shows one of them to the new last item. The
// session implements it over the dialog tools, which own the current items.
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
